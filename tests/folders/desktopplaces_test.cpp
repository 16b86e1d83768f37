// Which mounts become places of the folder tree.
#include <gtest/gtest.h>

#include <QDir>
#include <QStorageInfo>

#include "folders/desktopplaces.h"

namespace tp {
namespace {

TEST(RemovableMounts, AreTheMountsUnderMediaRunMediaAndMnt) {
  const struct {
    const char* mountPoint;
    bool removable;
  } cases[] = {
      {"/media/alice/TKR DISK", true}, {"/run/media/bob/USB", true}, {"/mnt", true}, {"/mnt/recorder", true},
      {"/", false}, {"/sys", false}, {"/mediafiles", false}, {"/run/user/1000", false}, {"/media/", false},
      {"/media", false}, {"/home/mnt/x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsRemovableMountPoint(QString::fromUtf8(c.mountPoint)), c.removable) << c.mountPoint;
}

TEST(MachinePlaces, StartWithTheHomeFolderAndTheFileSystemRoot) {
  const std::vector<DesktopPlace> places = MachinePlaces();
  ASSERT_GE(places.size(), 2u);
  EXPECT_EQ(places[0].path, QDir::homePath());
  EXPECT_EQ(places[1].path, QStringLiteral("/"));
  // Then every removable volume the system lists, and nothing else.
  std::vector<QString> removable;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (volume.isValid() && IsRemovableMountPoint(volume.rootPath())) removable.push_back(volume.rootPath());
  ASSERT_EQ(places.size(), 2 + removable.size());
  for (size_t i = 0; i < removable.size(); ++i) EXPECT_EQ(places[2 + i].path, removable[i]);
}

}  // namespace
}  // namespace tp
