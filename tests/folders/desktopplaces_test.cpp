// Which mounts become places of the folder tree.
#include <gtest/gtest.h>

#include <QDir>

#include "folders/desktopplaces.h"

namespace tp {
namespace {

TEST(RemovableMounts, KeepsOnlyMountsUnderMediaRunMediaAndMntAndDecodesEscapedBlanks) {
  const QString table = QStringLiteral(
      "sysfs /sys sysfs rw,nosuid 0 0\n"
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sdb1 /media/alice/TKR\\040DISK vfat rw 0 0\n"
      "/dev/sdc1 /run/media/bob/USB vfat rw 0 0\n"
      "/dev/sdd1 /mnt ext4 rw 0 0\n"
      "/dev/sde1 /mnt/recorder vfat rw 0 0\n"
      "tmpfs /mediafiles tmpfs rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sdf1 /media/ vfat rw 0 0\n"
      "broken-line-without-mount-point\n");
  const std::vector<MountedVolume> volumes = RemovableMounts(table);

  const std::vector<QString> expected = {QStringLiteral("/media/alice/TKR DISK"), QStringLiteral("/run/media/bob/USB"),
                                         QStringLiteral("/mnt"), QStringLiteral("/mnt/recorder")};
  ASSERT_EQ(volumes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(volumes[i].mountPoint, expected[i]) << i;
  EXPECT_EQ(volumes[0].device, QStringLiteral("/dev/sdb1"));
}

TEST(MachinePlaces, StartWithTheHomeFolderAndTheFileSystemRoot) {
  const std::vector<DesktopPlace> places = MachinePlaces();
  ASSERT_GE(places.size(), 2u);
  EXPECT_EQ(places[0].path, QDir::homePath());
  EXPECT_EQ(places[1].path, QStringLiteral("/"));
}

}  // namespace
}  // namespace tp
