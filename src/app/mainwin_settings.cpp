// What the window remembers between runs: the folder selected in the tree,
// where the last export and import went, and its own place and size. It is
// kept in the user's configuration folder; a missing, unreadable or damaged
// file only means starting as on the first day.
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <memory>

#include "app/tmainwin.h"

namespace tp {
namespace {

const QString kFolderKey = QStringLiteral("folder");
const QString kExportFolderKey = QStringLiteral("exportFolder");
const QString kImportFolderKey = QStringLiteral("importFolder");
const QString kGeometryKey = QStringLiteral("geometry");
const QString kNormaliseKey = QStringLiteral("exportNormalise");

// A remembered folder, if it still is one.
QString ExistingFolder(const QSettings& settings, const QString& key) {
  const QString folder = settings.value(key).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

std::unique_ptr<QSettings> TMainWin::OpenSettings() const {
  if (!settingsFile_.isEmpty()) return std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("TrackPorter"),
                                     QStringLiteral("trackporter"));
}

void TMainWin::LoadSettings() {
  const std::unique_ptr<QSettings> settings = OpenSettings();
  if (settings->status() != QSettings::NoError) {
    CentreOnScreen();
    return;
  }
  if (const QString folder = ExistingFolder(*settings, kExportFolderKey); !folder.isEmpty())
    LastExportFolder = folder;
  if (const QString folder = ExistingFolder(*settings, kImportFolderKey); !folder.isEmpty())
    LastImportFolder = folder;
  WavSave.choice = std::max(0, settings->value(kNormaliseKey, 0).toInt());
  const QByteArray geometry = settings->value(kGeometryKey).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) CentreOnScreen();
  if (const QString folder = ExistingFolder(*settings, kFolderKey); !folder.isEmpty()) DirTree->SetDirectory(folder);
}

void TMainWin::SaveSettings() const {
  const std::unique_ptr<QSettings> settings = OpenSettings();
  if (!ProjectFolder().isEmpty()) settings->setValue(kFolderKey, DirTree->GetDirectory());
  settings->setValue(kExportFolderKey, LastExportFolder);
  settings->setValue(kImportFolderKey, LastImportFolder);
  settings->setValue(kGeometryKey, saveGeometry());
  settings->setValue(kNormaliseKey, WavSave.choice);
}

void TMainWin::closeEvent(QCloseEvent* event) {
  SaveSettings();
  QWidget::closeEvent(event);
}

}  // namespace tp
