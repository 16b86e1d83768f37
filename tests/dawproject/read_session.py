#!/usr/bin/env python3
"""Reads a DAW project file with Python's own zipfile, wave and XML readers,
independently of the program, and prints what it found as JSON:

    read_session.py FILE SONG_FOLDER [STEMS_FOLDER]

Times in the arrangement are read in beats at the project's tempo. For
every clip it says whether its audio file exists (inside the ZIP, or
beside FILE for an external one), whether its samples equal those of the
take file(s) it names (read straight from the song folder by the recorder's
file names), and, given STEMS_FOLDER, whether its bytes equal the file
`stems` wrote under the same name."""
import io, json, os, re, sys, wave, zipfile
import xml.etree.ElementTree as ET

HEADER = 65536


def take_samples(path):
    with open(path, "rb") as f:
        data = f.read()[HEADER:]
    return data[: len(data) // 2 * 2]


def take_files(song, label):
    """The take file(s) a stem label names: Track05-1 -> TRACK4_0.DAT."""
    m = re.fullmatch(r"Track(\d\d)-(\d+)", label)
    if m:
        track, take = int(m.group(1)) - 1, int(m.group(2)) - 1
        name = f"TRACK{track}_{take}.DAT" if track <= 9 else f"TRACK{track}{take}.DAT"
        return [os.path.join(song, name)]
    m = re.fullmatch(r"Master(\d+)", label)
    n = int(m.group(1)) - 1
    return [os.path.join(song, f"TRACKL_{n}.DAT"), os.path.join(song, f"TRACKR_{n}.DAT")]


def expected_pcm(song, label, frames):
    """The takes' samples as 16-bit little-endian frames, each side padded
    with silence to `frames`, interleaved for a master take."""
    sides = [take_samples(p).ljust(frames * 2, b"\0")[: frames * 2] for p in take_files(song, label)]
    if len(sides) == 1:
        return sides[0]
    out = bytearray()
    for i in range(frames):
        out += sides[0][2 * i : 2 * i + 2] + sides[1][2 * i : 2 * i + 2]
    return bytes(out)


def audio_bytes(archive, folder, path, external):
    if external:
        full = os.path.join(folder, path)
        return open(full, "rb").read() if os.path.isfile(full) else None
    return archive.read(path) if path in archive.namelist() else None


def read_clip(clip, archive, folder, song, stems, beats_per_second):
    warps = clip.find("Warps")
    audio = warps.find("Audio") if warps is not None else clip.find("Audio")
    file = audio.find("File")
    path = file.get("path")
    external = file.get("external", "false") == "true"
    data = audio_bytes(archive, folder, path, external)
    label = re.search(r"((?:Track\d\d-\d+)|(?:Master\d+))", os.path.basename(path)).group(1)
    result = {
        "name": clip.get("name"), "enable": clip.get("enable"), "path": path, "external": external,
        "exists": data is not None,
        "clipFrames": round(float(clip.get("duration")) / beats_per_second * 44100),
        "clipTime": clip.get("time"), "playStart": clip.get("playStart"),
        "warps": None if warps is None else {
            "timeUnit": warps.get("timeUnit"), "contentTimeUnit": warps.get("contentTimeUnit"),
            "children": [child.tag for child in warps],
            "points": [[float(w.get("time")), float(w.get("contentTime"))] for w in warps.findall("Warp")]},
        "audioFrames": round(float(audio.get("duration")) * 44100),
        "channels": int(audio.get("channels")), "sampleRate": int(audio.get("sampleRate")),
    }
    if data is not None and path.endswith(".wav"):
        with wave.open(io.BytesIO(data)) as w:
            pcm = w.readframes(w.getnframes())
            result["fileFrames"] = w.getnframes()
            result["samplesEqualTake"] = pcm == expected_pcm(song, label, w.getnframes())
    if data is not None and stems:
        stem = os.path.join(stems, os.path.basename(path))
        result["bytesEqualStem"] = os.path.isfile(stem) and open(stem, "rb").read() == data
    return result


def main():
    name, song = sys.argv[1], sys.argv[2]
    stems = sys.argv[3] if len(sys.argv) > 3 else None
    folder = os.path.dirname(os.path.abspath(name))
    with zipfile.ZipFile(name) as archive:
        entries = [{"name": i.filename, "stored": i.compress_type == zipfile.ZIP_STORED, "size": i.file_size}
                   for i in archive.infolist()]
        bad = archive.testzip()
        project = ET.fromstring(archive.read("project.xml"))
        lanes = {l.get("track"): l for l in project.findall("Arrangement/Lanes/Lanes")}
        lane_ids = set(lanes)
        meta = ET.fromstring(archive.read("metadata.xml"))
        result = {"entries": entries, "crcOk": bad is None,
                  "application": project.find("Application").attrib,
                  "tempo": project.find("Transport/Tempo").attrib,
                  "timeSignature": project.find("Transport/TimeSignature").attrib,
                  "title": meta.findtext("Title"), "comment": meta.findtext("Comment"),
                  "structure": [child.tag for child in project.find("Structure")],
                  "masterTracks": [dict(t.attrib, channel=t.find("Channel").attrib, lanes=t.get("id") in lane_ids)
                                   for t in project.findall("Structure/Track")
                                   if t.find("Channel").get("role") == "master"],
                  "lanesTimeUnit": project.find("Arrangement/Lanes").get("timeUnit"),
                  "tracks": []}
        result["masterChannels"] = [t["channel"] for t in result["masterTracks"]]
        beats_per_second = float(project.find("Transport/Tempo").get("value")) / 60
        for track in project.findall("Structure/Track"):
            channel = track.find("Channel")
            if channel.get("role") == "master":
                continue
            entry = {"name": track.get("name"), "id": track.get("id"), "contentType": track.get("contentType"),
                     "audioChannels": int(channel.get("audioChannels")), "destination": channel.get("destination"),
                     "channelElements": [c.tag for c in channel],
                     "solo": channel.get("solo"), "mute": channel.find("Mute").get("value"),
                     "volume": channel.find("Volume").attrib, "pan": channel.find("Pan").attrib,
                     "lanes": []}
            for clips in lanes[track.get("id")].findall("Clips"):
                for clip in clips.findall("Clip"):
                    entry["lanes"].append(read_clip(clip, archive, folder, song, stems, beats_per_second))
            result["tracks"].append(entry)
    print(json.dumps(result, ensure_ascii=False))


main()
