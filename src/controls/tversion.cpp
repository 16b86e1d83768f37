#include "controls/tversion.h"

#include "controls/versionblock.h"

#include <cstdio>
#include <optional>

namespace tp {

namespace {

// The program's own file, wherever it was started from.
const QString kOwnExecutable = QStringLiteral("/proc/self/exe");

}  // namespace

TVersion::TVersion(QObject* parent) : QObject(parent) {}

void TVersion::SetExeFile(const QString& name) {
  exeFile_ = name.isEmpty() ? kOwnExecutable : name;
  NewVersion();
}

void TVersion::Loaded() {
  exeFile_ = kOwnExecutable;
  NewVersion();
}

void TVersion::NewVersion() {
  productName_.clear();
  version_.clear();
  copyright_.clear();
  company_.clear();
  description_.clear();

  const std::optional<std::string> section = ReadElfSection(exeFile_.toStdString(), kVersionSectionName);
  if (!section) return;
  const std::optional<VersionBlock> block = VersionBlock::Parse(*section);
  if (!block) return;
  const std::optional<unsigned long> translation = block->FirstTranslation();
  if (!translation) return;

  struct Entry {
    const char* key;
    QString* text;
    QPointer<QLabel>* label;
  };
  const Entry entries[] = {
      {"ProductName", &productName_, &productNameLabel_},
      {"FileVersion", &version_, &productVersionLabel_},
      {"LegalCopyright", &copyright_, &copyrightLabel_},
      {"CompanyName", &company_, &companyLabel_},
      {"FileDescription", &description_, &descriptionLabel_},
  };
  for (const Entry& entry : entries) {
    char path[96];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s", *translation, entry.key);
    // A missing value leaves its text empty and stops nothing.
    const std::optional<std::string> value = block->Query(path);
    if (!value) continue;
    *entry.text = QString::fromStdString(*value);
    if (*entry.label) (*entry.label)->setText(*entry.text);
  }
}

void TVersion::Link(QPointer<QLabel>& linked, QLabel* label, const QString& text) {
  if (linked == label) return;
  linked = label;
  if (label) label->setText(text);
}

}  // namespace tp
