#include "convert/exportformat.h"

#include "project/folderfiles.h"

namespace tp {

const char* ExportExtension(AudioFormat format) {
  if (format == FormatAiff) return ".aif";
  if (format == FormatFlac) return ".flac";
  return ".wav";
}

ExportFormatChoice ChooseExportFormat(const std::filesystem::path& fileName, AudioFormat chosenType) {
  // The extension runs from the last "." of the file name part on.
  const std::string name = fileName.filename().string();
  const auto dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  for (AudioFormat format : {FormatAiff, FormatFlac})
    if (SameNameIgnoringCase(extension, ExportExtension(format))) return {format, fileName};
  if (extension.empty() && (chosenType == FormatAiff || chosenType == FormatFlac)) {
    std::filesystem::path withExtension = fileName;
    withExtension += ExportExtension(chosenType);
    return {chosenType, withExtension};
  }
  return {FormatWav, fileName};
}

}  // namespace tp
