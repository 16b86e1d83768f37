// Imports a DAW project file with openDAW's own importer (DawProjectImport,
// the code its studio runs when a user opens such a file) and prints what
// it built as JSON:
//
//     node opendaw_import.mjs FILE
//
// For every audio unit in openDAW's order: its name (the label of its Tape
// instrument), type, volume in dB ("-Infinity" for silence), panning (-1..1), mute and solo, and its
// regions, each with its label, position and duration in seconds (openDAW
// counts pulses, 960 a beat, at the file's tempo), whether it is muted, and
// the samples of its file as openDAW decodes them, as 16-bit little-endian
// PCM in base64. An import that fails prints the error and exits 1.
import { readFileSync } from "node:fs";
import { register } from "node:module";

// openDAW's packages talk a lot on the console; only our JSON goes to the
// standard output.
for (const name of ["log", "debug", "info", "warn"]) console[name] = () => {};
register("./opendaw_resolve.mjs", import.meta.url);
const { DOMParser } = await import("@xmldom/xmldom");
globalThis.DOMParser = DOMParser;
const modules = "../node_modules/@opendaw/";
const { DawProject, DawProjectImport } = await import(modules + "studio-core/dist/dawproject/index.js");
const { WavFile } = await import(modules + "lib-dsp/dist/wav-file.js");
const { UUID } = await import(modules + "lib-std/dist/index.js");

const targetBox = (pointer) => pointer.targetVertex.unwrap().box;
const finiteOrText = (value) => (Number.isFinite(value) ? value : String(value));

function pcmOf(buffer) {
  const audio = WavFile.decodeFloats(buffer);
  const frames = audio.numberOfFrames ?? audio.frames[0].length;
  const channels = audio.frames.length;
  const pcm = Buffer.alloc(frames * channels * 2);
  for (let i = 0, offset = 0; i < frames; i++)
    for (let c = 0; c < channels; c++, offset += 2) pcm.writeInt16LE(Math.round(audio.frames[c][i] * 32768), offset);
  return { frames, channels, sampleRate: audio.sampleRate, pcm: pcm.toString("base64") };
}

async function main() {
  const file = readFileSync(process.argv[2]);
  const { project, resources } = await DawProject.decode(file.buffer.slice(file.byteOffset, file.byteOffset + file.length));
  const { skeleton } = await DawProjectImport.read(project, resources);
  const boxes = skeleton.boxGraph.boxes();
  const bpm = project.transport?.tempo?.value ?? 120;
  const seconds = (pulses) => pulses / 960 / (bpm / 60);
  const units = new Map();
  for (const box of boxes.filter((b) => b.name === "AudioUnitBox"))
    units.set(box, {
      // JSON has no infinity: silence's -Infinity dB goes as text.
      index: box.index.getValue(), type: box.type.getValue(), volumeDb: finiteOrText(box.volume.getValue()),
      panning: box.panning.getValue(), mute: box.mute.getValue(), solo: box.solo.getValue(),
      name: null, regions: [],
    });
  for (const box of boxes) {
    if (box.name === "TapeDeviceBox" || box.name === "AudioBusBox") {
      const unit = units.get(targetBox(box.name === "TapeDeviceBox" ? box.host : box.output));
      if (unit) unit.name = box.label.getValue();
    }
    if (box.name !== "AudioRegionBox") continue;
    const track = targetBox(box.regions);
    const unit = units.get(targetBox(track.target));
    const audioFile = targetBox(box.file);
    const resource = resources.fromUUID(audioFile.address.uuid);
    unit.regions.push({
      label: box.label.getValue(), position: seconds(box.position.getValue()),
      duration: seconds(box.duration.getValue()), mute: box.mute.getValue(), lane: track.index.getValue(),
      file: resource.path, ...pcmOf(resource.buffer),
    });
  }
  const sorted = [...units.values()].sort((a, b) => a.index - b.index);
  for (const unit of sorted) unit.regions.sort((a, b) => a.lane - b.lane);
  return JSON.stringify({ units: sorted }) + "\n";
}

// Exits once the output is written: a pipe takes it in pieces, and an exit
// before the last one would cut it short.
main().then((text) => process.stdout.write(text, () => process.exit(0)), (error) => {
  process.stdout.write(String(error?.stack ?? error) + "\n", () => process.exit(1));
});
