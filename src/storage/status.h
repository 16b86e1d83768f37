// Status: how an operation on the user's files ended. A failure carries the
// program's own text for it, the file it concerned and the system's reason,
// so that every layer can pass it up unchanged and the window and the
// command line can both say exactly what went wrong.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tp {

class Status {
 public:
  Status() = default;  // success
  static Status Ok() { return {}; }
  // `message` is one of the program's texts (messages.h); `systemError` an
  // errno value, 0 when the system gave none.
  static Status Fail(const char* message, std::filesystem::path file = {}, int systemError = 0) {
    Status status;
    status.message_ = message;
    status.file_ = std::move(file);
    status.systemError_ = systemError;
    return status;
  }

  // A failure whose reason is not the system's but the program's own
  // finding about the file, such as which field of a manifest is wrong:
  // "…/trackporter.json (files[3].output is not a plain file name)".
  static Status FailBecause(const char* message, std::filesystem::path file, std::string reason) {
    Status status = Fail(message, std::move(file));
    status.reason_ = std::move(reason);
    return status;
  }

  bool ok() const { return message_ == nullptr; }
  // True when the failure is the one of `message`. Compared as text: the
  // same text may lie at different addresses in different parts of the
  // program (an unoptimised build does not merge equal strings).
  bool Is(const char* message) const;
  const char* message() const { return message_; }
  const std::filesystem::path& file() const { return file_; }
  int systemError() const { return systemError_; }
  const std::string& reason() const { return reason_; }

  // "/path/x.wav (No space left on device)", or only the file, or "" when
  // there is nothing to add to the message.
  std::string Detail() const;
  // The reason alone: the program's own finding, else the system's, else "".
  std::string Reason() const;
  // The message followed by the detail: "Fail to create a Wav/AIFF: /x.wav
  // (No such file or directory)". A message that names its file and reason
  // in place ("%1 is damaged: %2") gets them there instead.
  std::string Text() const;

 private:
  const char* message_ = nullptr;
  std::filesystem::path file_;
  int systemError_ = 0;
  std::string reason_;
};

// A message and what it concerns as one sentence: "The take could not be
// opened: /x/TRACK0_0.DAT". A message's closing full stop gives way to the
// colon; the detail is left out when there is none.
std::string JoinMessage(std::string_view message, std::string_view detail);

// `text` with its %1 and %2 (each once at most) replaced.
std::string FillInMessage(std::string text, std::string_view first, std::string_view second);

// True for a message that places its file (%1) and reason (%2) itself.
bool PlacesItsDetail(std::string_view message);

}  // namespace tp
