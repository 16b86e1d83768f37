#include "controls/versionblock.h"

#include "audiofile/byteorder.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace tp {

namespace {

constexpr std::string_view kFirstLine = "-----BEGIN TRACKPORTER VERSION INFORMATION-----";
constexpr std::string_view kLastLine = "-----END TRACKPORTER VERSION INFORMATION-----";

// A version block is a few hundred bytes; a larger section is not ours.
constexpr uint64_t kLargestBlock = 64 * 1024;

// ELF identification bytes.
constexpr int kIdentClass = 4;     // 1: 32-bit, 2: 64-bit
constexpr int kIdentData = 5;      // 1: little-endian, 2: big-endian
constexpr uint32_t kSectionNoBits = 8;  // SHT_NOBITS: occupies no bytes in the file

// Offsets of the file header fields and of the section header fields we
// need, for the 32-bit and the 64-bit form.
struct ElfLayout {
  bool is64 = false;
  bool bigEndian = false;
  int headerSize, sectionTableOffsetAt, sectionEntrySizeAt, sectionCountAt, namesIndexAt;
  int entrySize, nameAt, typeAt, offsetAt, sizeAt;
};

constexpr ElfLayout kElf32{false, false, 52, 0x20, 0x2E, 0x30, 0x32, 40, 0x00, 0x04, 0x10, 0x14};
constexpr ElfLayout kElf64{true, false, 64, 0x28, 0x3A, 0x3C, 0x3E, 64, 0x00, 0x04, 0x18, 0x20};

class ElfReader {
 public:
  ElfReader(std::ifstream& file, uint64_t fileSize, ElfLayout layout)
      : file_(file), fileSize_(fileSize), layout_(layout) {}

  // Reads `count` bytes at `offset`, refusing anything that passes the end.
  bool Read(uint64_t offset, uint64_t count, std::vector<uint8_t>& bytes) {
    if (offset > fileSize_ || count > fileSize_ - offset) return false;
    bytes.resize(size_t(count));
    file_.seekg(std::streamoff(offset));
    file_.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(count));
    return bool(file_);
  }

  uint64_t Field(const uint8_t* at, bool wide) const {
    if (wide && layout_.is64) return layout_.bigEndian ? readU64BE(at) : readU64LE(at);
    return layout_.bigEndian ? readU32BE(at) : readU32LE(at);
  }
  uint32_t Word(const uint8_t* at) const { return layout_.bigEndian ? readU32BE(at) : readU32LE(at); }
  uint16_t Half(const uint8_t* at) const { return layout_.bigEndian ? readU16BE(at) : readU16LE(at); }

  const ElfLayout& layout() const { return layout_; }

 private:
  std::ifstream& file_;
  uint64_t fileSize_;
  ElfLayout layout_;
};

struct Section {
  uint32_t name, type;
  uint64_t offset, size;
};

}  // namespace

std::optional<std::string> ReadElfSection(const std::string& path, std::string_view sectionName) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  if (end <= 0) return std::nullopt;
  const uint64_t fileSize = uint64_t(end);

  uint8_t ident[16] = {};
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(ident), sizeof ident)) return std::nullopt;
  if (ident[0] != 0x7F || ident[1] != 'E' || ident[2] != 'L' || ident[3] != 'F') return std::nullopt;
  if (ident[kIdentClass] != 1 && ident[kIdentClass] != 2) return std::nullopt;
  if (ident[kIdentData] != 1 && ident[kIdentData] != 2) return std::nullopt;
  ElfLayout layout = ident[kIdentClass] == 2 ? kElf64 : kElf32;
  layout.bigEndian = ident[kIdentData] == 2;
  ElfReader elf(file, fileSize, layout);

  std::vector<uint8_t> header;
  if (!elf.Read(0, uint64_t(layout.headerSize), header)) return std::nullopt;
  const uint64_t tableOffset = elf.Field(&header[size_t(layout.sectionTableOffsetAt)], true);
  const uint16_t entrySize = elf.Half(&header[size_t(layout.sectionEntrySizeAt)]);
  const uint16_t count = elf.Half(&header[size_t(layout.sectionCountAt)]);
  const uint16_t namesIndex = elf.Half(&header[size_t(layout.namesIndexAt)]);
  // No sections at all, or the extended numbering that only files with more
  // than 65,279 sections use: either way no version block of ours.
  if (count == 0 || namesIndex >= count || entrySize < layout.entrySize) return std::nullopt;

  std::vector<uint8_t> table;
  if (!elf.Read(tableOffset, uint64_t(count) * entrySize, table)) return std::nullopt;
  const auto sectionAt = [&](uint16_t index) {
    const uint8_t* entry = &table[size_t(index) * entrySize];
    return Section{elf.Word(entry + layout.nameAt), elf.Word(entry + layout.typeAt),
                   elf.Field(entry + layout.offsetAt, true), elf.Field(entry + layout.sizeAt, true)};
  };

  const Section namesSection = sectionAt(namesIndex);
  std::vector<uint8_t> names;
  if (namesSection.type == kSectionNoBits || !elf.Read(namesSection.offset, namesSection.size, names))
    return std::nullopt;

  for (uint16_t index = 0; index < count; ++index) {
    const Section section = sectionAt(index);
    if (section.name >= names.size()) continue;
    const char* name = reinterpret_cast<const char*>(&names[section.name]);
    const size_t room = names.size() - section.name;
    if (std::string_view(name, strnlen(name, room)) != sectionName) continue;
    if (section.type == kSectionNoBits || section.size > kLargestBlock) return std::nullopt;
    std::vector<uint8_t> bytes;
    if (!elf.Read(section.offset, section.size, bytes)) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
  }
  return std::nullopt;
}

std::optional<VersionBlock> VersionBlock::Parse(std::string_view text) {
  if (text.substr(0, kFirstLine.size()) != kFirstLine) return std::nullopt;
  VersionBlock block;
  size_t start = text.find('\n');
  while (start != std::string_view::npos) {
    ++start;
    const size_t stop = text.find('\n', start);
    if (stop == std::string_view::npos) break;  // the last line must be complete
    const std::string_view line = text.substr(start, stop - start);
    if (line == kLastLine) return block;
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos)
      block.values_.emplace(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
    start = stop;
  }
  return std::nullopt;
}

std::optional<std::string> VersionBlock::Query(const std::string& path) const {
  const auto found = values_.find(path);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<unsigned long> VersionBlock::FirstTranslation() const {
  const std::optional<std::string> table = Query("\\VarFileInfo\\Translation");
  if (!table) return std::nullopt;
  // "0409 04b0": a 16-bit language and a 16-bit code page, in hexadecimal.
  unsigned language = 0, codePage = 0;
  if (std::sscanf(table->c_str(), "%4x %4x", &language, &codePage) != 2) return std::nullopt;
  return (unsigned long)language * 65536 + codePage;
}

}  // namespace tp
