// Feeds arbitrary bytes to the WAV/AIFF recognisers, then seeks and reads
// every frame (and a little past the end) in small blocks, and once more as
// the import reads a source: the first two channels of every frame in
// blocks of 32,768 frames, through a scratch buffer that must stay bounded
// whatever number of channels the header claims (make fuzz sets a malloc
// limit).
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audiofile/audiofile.h"
#include "audiofile/bytestream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto file = tp::OpenAudioFileFromStream(std::make_unique<tp::MemoryByteStream>(data, size));
  if (file->format == tp::FormatNone || file->channels == 0) return 0;
  // A recognised file never claims frames that are not in the bytes. (With
  // no frames, the data start may lie past the end: a cut "SSND" header.)
  int64_t frameBytes = int64_t(file->channels) * file->bytesPerSample;
  if (file->frames > 0 && file->dataStart + int64_t(file->frames) * frameBytes > int64_t(size))
    std::abort();

  const uint32_t block = std::max<uint32_t>(1, 512 / file->channels);
  std::vector<int16_t> buffer(size_t(block) * file->channels);
  for (uint32_t start : {0u, file->frames / 2}) {
    if (tp::SeekAudioFrame(*file, start) != tp::AudioOk) std::abort();
    for (uint32_t frame = start; frame <= file->frames; frame += block) {
      int64_t count = tp::ReadAudioFrames(*file, block, buffer.data());
      if (count < 0 || count > int64_t(buffer.size())) std::abort();
    }
  }

  if (tp::SeekAudioFrame(*file, 0) != tp::AudioOk) std::abort();
  constexpr uint32_t ImportBlock = 32768;
  std::vector<int16_t> kept(2 * size_t(ImportBlock));
  std::vector<uint8_t> scratch;
  for (uint32_t frame = 0; frame < file->frames; frame += ImportBlock) {
    const uint32_t want = std::min(ImportBlock, file->frames - frame);
    const int64_t got = tp::ReadAudioFrameChannels(*file, want, kept.data(), 2, scratch);
    if (got < 0 || got > int64_t(want) || scratch.size() > tp::MaximumReadBytes) std::abort();
  }
  tp::CloseAudioFile(std::move(file));
  return 0;
}
