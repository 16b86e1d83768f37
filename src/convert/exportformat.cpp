#include "convert/exportformat.h"

#include "project/folderfiles.h"

namespace tp {

ExportFormatChoice ChooseExportFormat(const std::filesystem::path& fileName, bool aiffFilterChosen) {
  // The extension runs from the last "." of the file name part on.
  const std::string name = fileName.filename().string();
  const auto dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  if (SameNameIgnoringCase(extension, ".aif")) return {FormatAiff, fileName};
  if (extension.empty() && aiffFilterChosen) {
    std::filesystem::path withExtension = fileName;
    withExtension += ".aif";
    return {FormatAiff, withExtension};
  }
  return {FormatWav, fileName};
}

}  // namespace tp
