#include "folders/desktopplaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>

namespace tp {
namespace {

// The kernel writes blank, tab, newline and backslash in mount points as a
// backslash and three octal digits.
QString decodeMountField(const QString& field) {
  const QByteArray bytes = field.toUtf8();
  QByteArray decoded;
  decoded.reserve(bytes.size());
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\\' && i + 3 < bytes.size()) {
      bool ok = false;
      const int value = bytes.mid(i + 1, 3).toInt(&ok, 8);
      if (ok) {
        decoded.append(char(value));
        i += 3;
        continue;
      }
    }
    decoded.append(bytes[i]);
  }
  return QString::fromUtf8(decoded);
}

bool isRemovableMountPoint(const QString& mountPoint) {
  for (const char* prefix : {"/media/", "/run/media/", "/mnt/"})
    if (mountPoint.startsWith(QLatin1String(prefix)) && mountPoint.size() > int(qstrlen(prefix))) return true;
  return mountPoint == QLatin1String("/mnt");
}

}  // namespace

std::vector<MountedVolume> RemovableMounts(const QString& mountsTable) {
  std::vector<MountedVolume> volumes;
  for (const QString& line : mountsTable.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() < 2) continue;
    const QString mountPoint = decodeMountField(fields[1]);
    if (isRemovableMountPoint(mountPoint)) volumes.push_back({mountPoint, decodeMountField(fields[0])});
  }
  return volumes;
}

std::vector<DesktopPlace> MachinePlaces() {
  std::vector<DesktopPlace> places;
  places.push_back({QCoreApplication::translate("DesktopPlaces", "Home"), QDir::homePath()});
  places.push_back({QCoreApplication::translate("DesktopPlaces", "File System"), QStringLiteral("/")});

  QFile table(QStringLiteral("/proc/self/mounts"));
  if (!table.open(QIODevice::ReadOnly)) return places;
  for (const MountedVolume& volume : RemovableMounts(QString::fromUtf8(table.readAll()))) {
    QString label = QStorageInfo(volume.mountPoint).name();
    if (label.isEmpty()) label = QFileInfo(volume.mountPoint).fileName();
    places.push_back({label, volume.mountPoint});
  }
  return places;
}

}  // namespace tp
