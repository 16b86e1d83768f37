// The top level of the folder tree on Linux, which has no shell namespace:
// the user's home folder, the file system root and every mounted volume a
// removable medium (or the recorder's disk, when it is plugged in) appears
// as. Desktops mount those under /media, /run/media or /mnt.
#pragma once

#include <QString>

#include <vector>

namespace tp {

struct DesktopPlace {
  QString label;  // what the tree shows
  QString path;   // absolute, without a trailing separator except "/"
};

// Whether a volume mounted at `mountPoint` is one of the removable kind:
// desktops mount those under /media, /run/media or /mnt. (Qt lists the
// volumes, but Qt 6.4 does not say which are removable.)
bool IsRemovableMountPoint(const QString& mountPoint);

// Home, "/" and the removable volumes of this machine (in the order
// QStorageInfo::mountedVolumes gives them). A volume is labelled with its
// volume name, or its mount folder's name when it has none.
std::vector<DesktopPlace> MachinePlaces();

}  // namespace tp
