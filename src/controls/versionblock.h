// The version information an executable carries: a delimited text block in
// an ELF section of its own (".tpversion", generated at build time from the
// project's version), read back from the file by path.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tp {

inline constexpr const char* kVersionSectionName = ".tpversion";

// The bytes of the section `sectionName` of the ELF file at `path`; nothing
// when the file cannot be read, is not ELF, is damaged, or has no such
// section. Sizes from the file are checked against the file before use.
std::optional<std::string> ReadElfSection(const std::string& path, std::string_view sectionName);

// The block's values by path, "\VarFileInfo\Translation" and
// "\StringFileInfo\040904b0\FileVersion" style, as the version lookups of
// TVersion query them.
class VersionBlock {
 public:
  // Nothing unless `text` starts with the block's first line and holds its last.
  static std::optional<VersionBlock> Parse(std::string_view text);

  std::optional<std::string> Query(const std::string& path) const;

  // The first entry of the translation table as language * 65536 + code
  // page; nothing when the block has no readable translation.
  std::optional<unsigned long> FirstTranslation() const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace tp
