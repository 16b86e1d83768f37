#include "convert/sndfilebridge.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sndfile.h>

#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/piecereader.h"

namespace tp {

namespace {

// The handle libsndfile reads and writes through, and the first error the
// system gave: libsndfile reports that a write failed, not why.
struct VirtualFile {
  FileHandle* handle = nullptr;
  int systemError = 0;
  std::unique_ptr<PieceReader> pieces;  // a file read back: read in large pieces
};

sf_count_t fileLength(void* data) {
  auto* file = static_cast<VirtualFile*>(data);
  return sf_count_t(file->handle->Size());
}

sf_count_t seek(sf_count_t offset, int whence, void* data) {
  auto* file = static_cast<VirtualFile*>(data);
  const int64_t position = file->pieces ? file->pieces->Seek(offset, whence) : file->handle->Seek(offset, whence);
  if (position < 0 && file->systemError == 0) file->systemError = errno;
  return sf_count_t(position);
}

sf_count_t read(void* destination, sf_count_t count, void* data) {
  auto* file = static_cast<VirtualFile*>(data);
  const ssize_t got = file->pieces ? file->pieces->Read(destination, size_t(count))
                                   : file->handle->Read(destination, size_t(count));
  if (got < 0) {
    if (file->systemError == 0) file->systemError = errno;
    return 0;
  }
  return sf_count_t(got);
}

sf_count_t write(const void* source, sf_count_t count, void* data) {
  auto* file = static_cast<VirtualFile*>(data);
  if (file->systemError != 0) return 0;
  if (!file->handle->Write(source, size_t(count))) {
    file->systemError = errno != 0 ? errno : EIO;
    return 0;
  }
  return count;
}

sf_count_t tell(void* data) {
  auto* file = static_cast<VirtualFile*>(data);
  return sf_count_t(file->pieces ? file->pieces->Tell() : file->handle->Seek(0, SEEK_CUR));
}

SF_VIRTUAL_IO fileLayerIo = {fileLength, seek, read, write, tell};

}  // namespace

struct SndfileChannel {
  VirtualFile io;
  SNDFILE* file = nullptr;
  ~SndfileChannel() {
    if (file) sf_close(file);
  }
  // Closes now; false when libsndfile or the file layer saw an error.
  bool Close() {
    const int result = file ? sf_close(file) : 0;
    file = nullptr;
    return result == 0 && io.systemError == 0;
  }
};

Status FlacSink::Create(std::unique_ptr<SafeFile> output, uint32_t channels, std::unique_ptr<FlacSink>& created) {
  std::unique_ptr<FlacSink> sink(new FlacSink);
  sink->output_ = std::move(output);
  sink->file_ = std::make_unique<SndfileChannel>();
  sink->file_->io.handle = &sink->output_->handle();
  SF_INFO info{};
  info.samplerate = int(TakeSampleRate);
  info.channels = int(channels);
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  sink->file_->file = sf_open_virtual(&fileLayerIo, SFM_WRITE, &info, &sink->file_->io);
  // libsndfile starts the FLAC stream at the first write; a take without
  // samples would otherwise leave an empty file that no decoder opens.
  if (sink->file_->file) sf_command(sink->file_->file, SFC_UPDATE_HEADER_NOW, nullptr, 0);
  if (!sink->file_->file || sink->file_->io.systemError != 0) {
    const Status status = sink->failure();
    sink->output_->Discard();
    return status;
  }
  created = std::move(sink);
  return Status::Ok();
}

FlacSink::~FlacSink() = default;

Status FlacSink::failure() const {
  return Status::Fail(messages::OutputNotWritten, output_->target(), file_ ? file_->io.systemError : 0);
}

Status FlacSink::Write(const int16_t* block, uint32_t frames, uint32_t channels) {
  const sf_count_t wanted = sf_count_t(frames);
  if (sf_writef_short(file_->file, block, wanted) != wanted || file_->io.systemError != 0) return failure();
  (void)channels;
  return Status::Ok();
}

Status FlacSink::Finish() {
  // The encoder writes its last frames and the stream information on close.
  if (!file_->Close()) return failure();
  return Status::Ok();
}

Status ArchivedAudio::Open(const std::filesystem::path& path, bool fromDisk, std::unique_ptr<ArchivedAudio>& opened) {
  std::unique_ptr<ArchivedAudio> audio(new ArchivedAudio);
  audio->path_ = path;
  audio->handle_ = FileHandle::Open(path, O_RDONLY);
  if (!audio->handle_.valid()) return Status::Fail(messages::SourceNotRead, path, errno);
  if (fromDisk) ::posix_fadvise(audio->handle_.fd(), 0, 0, POSIX_FADV_DONTNEED);
  audio->file_ = std::make_unique<SndfileChannel>();
  audio->file_->io.handle = &audio->handle_;
  audio->file_->io.pieces = std::make_unique<PieceReader>(audio->handle_);
  SF_INFO info{};
  audio->file_->file = sf_open_virtual(&fileLayerIo, SFM_READ, &info, &audio->file_->io);
  if (!audio->file_->file) {
    if (audio->file_->io.systemError != 0)
      return Status::Fail(messages::SourceNotRead, path, audio->file_->io.systemError);
    return Status::Fail(messages::NotWavOrAiff, path);
  }
  // A read that failed while libsndfile looked at the header reached it as
  // the end of the file: the file would seem cut, and an edited one taken
  // for it. It is a read error.
  if (audio->file_->io.systemError != 0)
    return Status::Fail(messages::SourceNotRead, path, audio->file_->io.systemError);
  audio->channels_ = uint32_t(info.channels);
  audio->sampleRate_ = double(info.samplerate);
  audio->frames_ = uint64_t(info.frames);
  // A FLAC stream of no samples says "length unknown" (a count of 0), which
  // libsndfile reports as the largest count: such a file is counted.
  if (info.frames == SF_COUNT_MAX) {
    std::vector<int16_t> block(size_t(info.channels) * 4096);
    uint64_t counted = 0;
    for (sf_count_t got; (got = sf_readf_short(audio->file_->file, block.data(), 4096)) > 0;) counted += uint64_t(got);
    if (audio->file_->io.systemError != 0) return Status::Fail(messages::SourceNotRead, path, audio->file_->io.systemError);
    if (sf_seek(audio->file_->file, 0, SEEK_SET) != 0 && counted > 0) return Status::Fail(messages::SourceNotRead, path, EIO);
    audio->frames_ = counted;
  }
  opened = std::move(audio);
  return Status::Ok();
}

ArchivedAudio::~ArchivedAudio() = default;

Status ArchivedAudio::Read(int16_t* block, uint32_t frames, uint32_t& got) {
  const sf_count_t read = sf_readf_short(file_->file, block, sf_count_t(frames));
  if (file_->io.systemError != 0) return Status::Fail(messages::SourceNotRead, path_, file_->io.systemError);
  if (read < 0 || sf_error(file_->file) != SF_ERR_NO_ERROR)
    return Status::Fail(messages::SourceNotRead, path_, EIO);
  got = uint32_t(read);
  return Status::Ok();
}

}  // namespace tp
