#include "controls/tversion.h"

#include <QFileInfo>

#include "project/programversion.h"

namespace tp {

namespace {

// The program's own file, wherever it was started from.
const QString kOwnExecutable = QStringLiteral("/proc/self/exe");

// The version information is compiled into the program, not read from a
// file: only the program's own file (by any path that leads to it) has any.
bool isOwnExecutable(const QString& name) {
  if (name == kOwnExecutable) return true;
  const QString file = QFileInfo(name).canonicalFilePath();
  return !file.isEmpty() && file == QFileInfo(kOwnExecutable).canonicalFilePath();
}

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
  const bool own = isOwnExecutable(exeFile_);
  const ProgramVersionInformation& info = ProgramVersionInfo;
  struct Entry {
    const char* value;
    QString* text;
    QPointer<QLabel>* label;
  };
  const Entry entries[] = {
      {info.productName, &productName_, &productNameLabel_},
      {info.version, &version_, &productVersionLabel_},
      {info.copyright, &copyright_, &copyrightLabel_},
      {info.company, &company_, &companyLabel_},
      {info.description, &description_, &descriptionLabel_},
  };
  // Another file has no version information this program knows: five
  // empty texts, as for a file without any.
  for (const Entry& entry : entries) {
    *entry.text = own ? QString::fromUtf8(entry.value) : QString();
    if (*entry.label) (*entry.label)->setText(*entry.text);
  }
}

void TVersion::Link(QPointer<QLabel>& linked, QLabel* label, const QString& text) {
  if (linked == label) return;
  linked = label;
  if (label) label->setText(text);
}

}  // namespace tp
