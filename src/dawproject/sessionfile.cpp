#include "dawproject/sessionfile.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include <zip.h>

#include "dawproject/projectxml.h"
#include "dawproject/stembytes.h"
#include "dawproject/zipoutput.h"
#include "project/folderfiles.h"
#include "project/messages.h"
#include "storage/safefile.h"

namespace tp {

namespace {

// What the writing shares with libzip's callbacks, all on the writing
// thread: the caller's hooks, and why it stopped.
struct Writing {
  const ConversionHooks& hooks;
  bool aborted = false;
  std::optional<ConversionResult> failed;  // the first failure of a take or a side file
};

// One audio file of the ZIP, its bytes made as libzip reads them.
struct AudioEntry {
  AudioEntry(const SessionClip& clip, AudioFormat format, const std::filesystem::path& besides, Writing& writing)
      : bytes(clip.source, format, besides), writing(writing) {
    zip_error_init(&error);
  }
  ~AudioEntry() { zip_error_fini(&error); }
  StemBytes bytes;
  Writing& writing;
  zip_error_t error;

  zip_int64_t fail(const ConversionResult& failure) {
    if (!writing.failed) writing.failed = failure;
    zip_error_set(&error, ZIP_ER_READ, 0);
    return -1;
  }
  zip_int64_t open() {
    ConversionHooks stopOnly;
    stopOnly.betweenBlocks = writing.hooks.betweenBlocks;
    const ConversionResult opened = bytes.Open(stopOnly);
    if (opened.outcome == ConversionResult::Converted) return 0;
    if (opened.outcome == ConversionResult::Aborted) {
      writing.aborted = true;
      zip_error_set(&error, ZIP_ER_CANCELLED, 0);
      return -1;
    }
    return fail(opened);
  }
  zip_int64_t read(void* data, zip_uint64_t length) {
    size_t got = 0;
    const Status read = bytes.Read(static_cast<uint8_t*>(data), size_t(length), got);
    return read.ok() ? zip_int64_t(got) : fail(ConversionResult::Failure(read));
  }
  zip_int64_t stat(void* data, zip_uint64_t length) {
    auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
    if (st == nullptr) return -1;
    zip_stat_init(st);
    st->comp_method = ZIP_CM_STORE;
    st->valid |= ZIP_STAT_COMP_METHOD;
    if (const int64_t size = bytes.KnownSize(); size >= 0) {
      st->size = zip_uint64_t(size);
      st->valid |= ZIP_STAT_SIZE;
    }
    return sizeof(zip_stat_t);
  }
};

zip_int64_t audioCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* entry = static_cast<AudioEntry*>(state);
  switch (command) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_OPEN: return entry->open();
    case ZIP_SOURCE_READ: return entry->read(data, length);
    case ZIP_SOURCE_CLOSE: entry->bytes.Close(); return 0;
    case ZIP_SOURCE_STAT: return entry->stat(data, length);
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&entry->error, data, length);
    case ZIP_SOURCE_FREE: delete entry; return 0;
    default: zip_error_set(&entry->error, ZIP_ER_OPNOTSUPP, 0); return -1;
  }
}

// libzip asks after every piece it copies (8 KiB).
int cancelCallback(zip_t*, void* state) {
  auto& writing = *static_cast<Writing*>(state);
  if (!writing.aborted && writing.hooks.betweenBlocks) writing.aborted = writing.hooks.betweenBlocks();
  return writing.aborted ? 1 : 0;
}

void progressCallback(zip_t*, double fraction, void* state) {
  auto& writing = *static_cast<Writing*>(state);
  if (writing.hooks.progress) writing.hooks.progress(uint32_t(fraction * SessionProgressTotal), SessionProgressTotal);
}

bool addText(zip_t* zip, const char* name, const std::string& text) {
  zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
  if (source == nullptr) return false;
  if (zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) < 0) {
    zip_source_free(source);
    return false;
  }
  return true;
}

bool addAudio(zip_t* zip, const SessionClip& clip, AudioFormat format, const std::filesystem::path& besides,
              Writing& writing) {
  auto* entry = new AudioEntry(clip, format, besides, writing);
  zip_source_t* source = zip_source_function(zip, audioCallback, entry);
  if (source == nullptr) {
    delete entry;
    return false;
  }
  const zip_int64_t index = zip_file_add(zip, clip.filePath.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);  // frees the entry too
    return false;
  }
  return zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0;
}

// Adds every entry; the texts must live until the zip is closed.
bool addEntries(zip_t* zip, const SessionPlan& plan, const std::vector<std::string>& texts,
                const std::filesystem::path& besides, Writing& writing) {
  if (!addText(zip, "metadata.xml", texts[0]) || !addText(zip, "project.xml", texts[1])) return false;
  if (plan.externalFiles) return true;
  for (const SessionTrack& track : plan.tracks)
    for (const SessionClip& clip : track.lanes)
      if (!addAudio(zip, clip, plan.format, besides, writing)) return false;
  return true;
}

ConversionResult closeFailure(const Writing& writing, const ZipOutput& output, zip_t* zip,
                              const std::filesystem::path& target) {
  if (writing.aborted) return {ConversionResult::Aborted, messages::Aborted, {}, 0};
  if (!output.failure().ok()) return ConversionResult::Failure(output.failure());
  if (writing.failed) return *writing.failed;
  const int systemError = zip_error_code_system(zip_get_error(zip));
  return ConversionResult::Failure(Status::Fail(messages::SessionNotWritten, target, systemError));
}

}  // namespace

ConversionResult WriteSessionFile(const SessionPlan& plan, const std::filesystem::path& target,
                                  const ConversionHooks& hooks) {
  // A take or the information file of a song would be lost for good.
  if (IsSongFolderFile(target)) return ConversionResult::Failure(Status::Fail(messages::SongFileRefused, target));
  std::unique_ptr<SafeFile> file;
  const Status created = SafeFile::Create(target, messages::SessionNotCreated, file);
  if (!created.ok()) return ConversionResult::Failure(created);
  ZipOutput output(*file, messages::SessionNotWritten);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = output.Source();
  zip_t* zip = source ? zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
  zip_error_fini(&error);
  if (zip == nullptr) {
    if (source) zip_source_free(source);
    file->Discard();
    return ConversionResult::Failure(Status::Fail(messages::SessionNotWritten, target, ENOMEM));
  }
  Writing writing{hooks, false, std::nullopt};
  const std::vector<std::string> texts = {MetadataXml(plan), ProjectXml(plan)};
  // A FLAC file is encoded beside the project file first, under a side
  // file's name, which a later writer removes if this one is killed.
  const std::filesystem::path besides = target.parent_path() / ".tp-session-audio";
  zip_register_progress_callback_with_state(zip, 0.001, progressCallback, nullptr, &writing);
  zip_register_cancel_callback_with_state(zip, cancelCallback, nullptr, &writing);
  if (!addEntries(zip, plan, texts, besides, writing) || zip_close(zip) != 0) {
    const ConversionResult failed = closeFailure(writing, output, zip, target);
    zip_discard(zip);
    file->Discard();
    return failed;
  }
  const Status committed = file->Commit(messages::SessionNotWritten);
  if (!committed.ok()) return ConversionResult::Failure(committed);
  if (hooks.progress) hooks.progress(SessionProgressTotal, SessionProgressTotal);
  return {ConversionResult::Converted, messages::Converted, {}, 0, true};
}

}  // namespace tp
