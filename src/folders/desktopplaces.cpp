#include "folders/desktopplaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace tp {

bool IsRemovableMountPoint(const QString& mountPoint) {
  for (const char* prefix : {"/media/", "/run/media/", "/mnt/"})
    if (mountPoint.startsWith(QLatin1String(prefix)) && mountPoint.size() > int(qstrlen(prefix))) return true;
  return mountPoint == QLatin1String("/mnt");
}

std::vector<DesktopPlace> MachinePlaces() {
  std::vector<DesktopPlace> places;
  places.push_back({QCoreApplication::translate("DesktopPlaces", "Home"), QDir::homePath()});
  places.push_back({QCoreApplication::translate("DesktopPlaces", "File System"), QStringLiteral("/")});
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !IsRemovableMountPoint(volume.rootPath())) continue;
    QString label = volume.name();
    if (label.isEmpty()) label = QFileInfo(volume.rootPath()).fileName();
    places.push_back({label, volume.rootPath()});
  }
  return places;
}

}  // namespace tp
