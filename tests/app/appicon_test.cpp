// The program's icon and its one id: the window icon holds the installed
// renderings, and the desktop entry, the metainfo and the window name the
// same id.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <fstream>
#include <iterator>

#include "app/appicon.h"

namespace tp {
namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AppIcon, HoldsTheFortyEightOneTwentyEightAndTwoFiftySixPixelRenderings) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  for (const int size : {48, 128, 256}) {
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    EXPECT_EQ(image.size(), QSize(size, size)) << size;
    // The corner is transparent, the middle of the face is not.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
  }
}

TEST(AppIcon, TheDesktopEntryAndTheMetainfoUseTheApplicationId) {
  const std::string id = ApplicationId;
  const std::string desktop = readText(std::string(TP_APP_SOURCE_DIR) + "/" + id + ".desktop");
  EXPECT_NE(desktop.find("\nIcon=" + id + "\n"), std::string::npos) << desktop;
  const std::string metainfo = readText(std::string(TP_APP_SOURCE_DIR) + "/" + id + ".metainfo.xml");
  EXPECT_NE(metainfo.find("<id>" + id + "</id>"), std::string::npos);
  EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"), std::string::npos);
  EXPECT_NE(metainfo.find("<project_license>GPL-3.0-or-later</project_license>"), std::string::npos);
}

}  // namespace
}  // namespace tp
