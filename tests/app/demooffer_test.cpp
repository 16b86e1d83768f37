// The demo song offered at the first start: when it is offered, and the
// real question box answered through its buttons.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/demooffer.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Q;

TEST(DemoOffer, IsOfferedOnlyAtAFirstStartWithoutAFolderOnAScreenSomeoneLooksAt) {
  struct Case {
    const char* situation;
    FirstStart start;
    bool offered;
  };
  const Case cases[] = {
      {"the first start from the desktop menu", {false, false, false, QStringLiteral("xcb")}, true},
      {"the first start under Wayland", {false, false, false, QStringLiteral("wayland")}, true},
      {"a folder named on the command line", {true, false, false, QStringLiteral("xcb")}, false},
      {"settings saved by an earlier run", {false, true, false, QStringLiteral("xcb")}, false},
      {"the demo folder is there", {false, false, true, QStringLiteral("xcb")}, false},
      {"the offscreen platform of tests", {false, false, false, QStringLiteral("offscreen")}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(ShouldOfferDemo(c.start), c.offered) << c.situation;
}

class DemoOfferWindow : public test::WindowTest {
 protected:
  void SetUp() override {
    window = MakeWindow(false);
    window->show();
    test::RunUntilIdle();
  }

  // Clicks `button` of the question once it is up, keeping its text.
  void Answer(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      asked = box->text();
      QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
  }

  const fs::path demo = scratch / "TrackPorter Demo";
  QString asked;
};

TEST_F(DemoOfferWindow, NoWritesNothingAndYesWritesTheDemoAndOpensIt) {
  Answer(QMessageBox::No);
  OfferDemoSong(*window, demo);
  EXPECT_TRUE(asked.startsWith(QStringLiteral("Create a demo song in \"%1\"?").arg(Q(demo)))) << asked.toStdString();
  EXPECT_FALSE(fs::exists(demo));
  EXPECT_EQ(window->ProjectFolder(), QString());

  Answer(QMessageBox::Yes);
  OfferDemoSong(*window, demo);
  test::RunUntilIdle();
  ASSERT_TRUE(fs::is_directory(demo));
  EXPECT_TRUE(fs::equivalent(window->ProjectFolder().toStdString(), demo)) << window->ProjectFolder().toStdString();
  EXPECT_TRUE(window->Model().ProjectOpen);
}

}  // namespace
}  // namespace tp
