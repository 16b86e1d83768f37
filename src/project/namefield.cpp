#include "project/namefield.h"

#include <algorithm>

namespace tp {

namespace {
NameField fieldFrom(std::string_view text, size_t width) {
  NameField field;
  field.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), width), field.begin());
  return field;
}
}  // namespace

NameField EncodeNameField(std::string_view name) { return fieldFrom(name, NameFieldWidth); }

NameField EncodeNameFieldWithSuffix(std::string_view name, char suffix) {
  NameField field = fieldFrom(name, NameFieldWidth - 1);
  field[NameFieldWidth - 1] = uint8_t(suffix);
  return field;
}

std::string DecodeNameField(const uint8_t* field, size_t available) {
  const size_t width = std::min(available, NameFieldWidth);
  const uint8_t* end = std::find(field, field + width, uint8_t(0));
  return std::string(field, end);
}

std::string PadName(std::string_view name) {
  std::string padded(name.substr(0, NameFieldWidth));
  padded.resize(NameFieldWidth, ' ');
  return padded;
}

}  // namespace tp
