#include "convert/importengine.h"

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "audiofile/audiofile.h"
#include "audiofile/byteorder.h"
#include "audiofile/cfile.h"
#include "audiofile/takefile.h"
#include "convert/sidefile.h"
#include "project/folderfiles.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/namefield.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// One take being written: its side file, the open stream and its header.
struct TargetFile {
  ImportTarget target;
  NameField name;
  std::unique_ptr<SideFile> side;
  CFile stream;
  bool failed = false;

  // Writes one channel of an interleaved block as the take's little-endian
  // samples. Mono and stereo sources get loops of their own, with the stride
  // known, so that they vectorise.
  bool writeChannel(const int16_t* interleaved, size_t channels, size_t channel, std::vector<uint8_t>& bytes) {
    const size_t count = bytes.size() / 2;
    const int16_t* from = interleaved + channel;
    if (channels == 1) {
      for (size_t j = 0; j < count; ++j) writeU16LE(&bytes[2 * j], uint16_t(from[j]));
    } else if (channels == 2) {
      for (size_t j = 0; j < count; ++j) writeU16LE(&bytes[2 * j], uint16_t(from[2 * j]));
    } else {
      for (size_t j = 0; j < count; ++j) writeU16LE(&bytes[2 * j], uint16_t(from[j * channels]));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream.get()) != bytes.size()) failed = true;
    return !failed;
  }
  bool close() {
    const bool flushed = std::fflush(stream.get()) == 0;
    const bool closed = std::fclose(stream.release()) == 0;
    return !failed && flushed && closed;
  }
};

std::string targetFileName(const ImportTarget& target) {
  if (target.track == 16) return MasterTakeFileName(MasterSide::Left, target.take);
  if (target.track == 17) return MasterTakeFileName(MasterSide::Right, target.take);
  return TakeFileName(target.track, target.take);
}

ConversionResult failure(const char* message) { return {ConversionResult::Failed, message, 0}; }

}  // namespace

std::string TakeNameFromSourceFile(const fs::path& source) {
  std::string name = source.filename().string();
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return Utf8ToNameBytesLossy(name);
}

ConversionResult ImportAudioFile(ProjectModel& model, const fs::path& source, const ConversionHooks& hooks) {
  auto input = OpenAudioFile(source, false);
  if (input->format == FormatNone) {
    CloseAudioFile(std::move(input));
    return failure(messages::NotWavOrAiff);
  }
  const uint32_t channels = input->channels;
  const ImportTargets targets = model.ImportTargetsFor(channels);
  if (!targets.first.used()) {
    CloseAudioFile(std::move(input));
    return failure(messages::NoImportTarget);
  }

  const std::string takeName = TakeNameFromSourceFile(source);
  const bool split = channels >= 2 && !targets.masterMode;
  std::vector<TargetFile> files;
  for (int index = 0; index < 2; ++index) {
    const ImportTarget& target = index == 0 ? targets.first : targets.second;
    if (!target.used()) continue;
    TargetFile file;
    file.target = target;
    file.name = split ? EncodeNameFieldWithSuffix(takeName, index == 0 ? 'L' : 'R') : EncodeNameField(takeName);
    file.side = std::make_unique<SideFile>(PathForFile(model.ProjectFolder, targetFileName(target)));
    file.stream = OpenCFile(file.side->path(), "wb");
    if (!file.stream) {
      CloseAudioFile(std::move(input));
      return failure(messages::TargetNotOpened);
    }
    if (!WriteTakeHeader(file.stream.get(), uint32_t(index), uint32_t(target.track), file.name)) {
      CloseAudioFile(std::move(input));
      return failure(messages::TakeNotWritten);
    }
    files.push_back(std::move(file));
  }

  SeekAudioFrame(*input, 0);
  const uint32_t frames = input->frames;
  const uint32_t wholeFrames = frames - frames % ConversionBlockFrames;
  std::vector<int16_t> in(size_t(std::max(channels, 1u)) * ConversionBlockFrames);
  std::vector<uint8_t> bytes(2 * size_t(ConversionBlockFrames));

  // Channel 0 to the first file; channel 1 to the second, or channel 0 again
  // for a mono source filling both files of a master take.
  auto writeBlock = [&]() {
    for (size_t index = 0; index < files.size(); ++index) {
      const size_t channel = (index == 1 && channels >= 2) ? 1 : 0;
      if (!files[index].writeChannel(in.data(), channels, channel, bytes)) return false;
    }
    return true;
  };

  bool aborted = false, writeFailed = false;
  uint64_t position = 0;
  for (; position < wholeFrames; position += ConversionBlockFrames) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) {
      aborted = true;
      break;
    }
    ReadAudioFrames(*input, ConversionBlockFrames, in.data());
    if (!writeBlock()) { writeFailed = true; break; }
    if (hooks.progress) hooks.progress(uint32_t(position), frames);
  }
  if (!aborted && !writeFailed && frames > wholeFrames) {
    std::fill(in.begin(), in.end(), int16_t(0));
    ReadAudioFrames(*input, frames - wholeFrames, in.data());
    if (writeBlock()) position += ConversionBlockFrames;
    else writeFailed = true;
  }
  CloseAudioFile(std::move(input));

  for (auto& file : files) writeFailed = !file.close() || writeFailed;
  if (writeFailed) return failure(messages::TakeNotWritten);
  for (auto& file : files)
    if (!file.side->commit()) return failure(messages::TakeNotWritten);

  // The takes are in place: show them.
  const int32_t length = int32_t(position);
  for (const auto& file : files) {
    const ImportTarget& target = file.target;
    const std::string caption(file.name.begin(), file.name.end());
    if (targets.masterMode) {
      MatrixCell& cell = model.MasTakeSel[target.take];
      cell.assigned = true;
      cell.caption = std::string(files[0].name.begin(), files[0].name.end());
      model.MasterTakeMask |= 1u << target.take;
      model.TakeLengths[(target.track == 16 ? ProjectModel::MasterLeftIndex : ProjectModel::MasterRightIndex) +
                        target.take] = length;
    } else {
      MatrixCell& cell = model.TakeSel[target.track][target.take];
      cell.assigned = true;
      cell.caption = caption;
      model.TakeLength(target.track, target.take) = length;
    }
  }
  model.UpdateSelection();
  if (hooks.progress) hooks.progress(frames, frames);
  return {aborted ? ConversionResult::Aborted : ConversionResult::Converted,
          aborted ? messages::Aborted : messages::Converted, position};
}

}  // namespace tp
