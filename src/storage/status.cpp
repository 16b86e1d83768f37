#include "storage/status.h"

#include <cstring>
#include <utility>

#include "storage/filehandle.h"

namespace tp {

bool Status::Is(const char* message) const {
  return message_ != nullptr && message != nullptr && std::strcmp(message_, message) == 0;
}

std::string Status::Detail() const {
  if (systemError_ == NotRegularFileError)
    return file_.empty() ? "not a regular file" : file_.string() + " is not a regular file.";
  std::string detail = file_.string();
  if (!reason_.empty()) return detail.empty() ? reason_ : detail + " (" + reason_ + ")";
  if (systemError_ != 0) {
    const std::string reason = std::strerror(systemError_);
    detail = detail.empty() ? reason : detail + " (" + reason + ")";
  }
  return detail;
}

std::string Status::Reason() const {
  if (!reason_.empty()) return reason_;
  if (systemError_ == NotRegularFileError) return "not a regular file";
  return systemError_ != 0 ? std::strerror(systemError_) : std::string();
}

std::string Status::Text() const {
  if (ok()) return {};
  if (!PlacesItsDetail(message_)) return JoinMessage(message_, Detail());
  return FillInMessage(message_, file_.string(), Reason());
}

std::string FillInMessage(std::string text, std::string_view first, std::string_view second) {
  for (const auto& [mark, value] : {std::pair{"%1", first}, std::pair{"%2", second}})
    if (const size_t at = text.find(mark); at != std::string::npos) text.replace(at, 2, value);
  return text;
}

std::string JoinMessage(std::string_view message, std::string_view detail) {
  std::string text(message);
  if (detail.empty()) return text;
  // A Japanese message closes with an ideographic full stop (3 bytes).
  constexpr std::string_view IdeographicFullStop = "\u3002";
  if (!text.empty() && text.back() == '.') text.pop_back();
  else if (text.ends_with(IdeographicFullStop)) text.resize(text.size() - IdeographicFullStop.size());
  return text + ": " + std::string(detail);
}

bool PlacesItsDetail(std::string_view message) { return message.find("%1") != std::string_view::npos; }

}  // namespace tp
