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

// A volume from one line of /proc/self/mounts.
struct MountedVolume {
  QString mountPoint;
  QString device;
};

// The mounts of a mounts table (the text of /proc/self/mounts) that lie
// under /media, /run/media or /mnt, in table order. The table escapes blanks
// and a few other bytes in octal ("\040"); they come back decoded.
std::vector<MountedVolume> RemovableMounts(const QString& mountsTable);

// Home, "/" and the removable mounts of this machine, in that order. A
// volume is labelled with its volume name, or its mount folder's name when
// it has none.
std::vector<DesktopPlace> MachinePlaces();

}  // namespace tp
