// The window on a screen at 200 % (this executable runs with
// QT_SCALE_FACTOR=2), with the demo song open: the track keys' digits and
// the take names are drawn at full resolution, as the folder tree that Qt
// draws beside them is, not at 100 % and doubled.
#include "app/demoproject.h"
#include "support/edgeblocks.h"
#include "windowfixture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace tp::test {
namespace {

class WindowAtTwiceTheScale : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeDemoProject(scratch.path() / "Demo"), DemoResult::Created);
    window = MakeWindow(true);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Open(scratch.path() / "Demo");
    ASSERT_TRUE(window->TakeSel->GetAssigned(5, 0)) << "the demo song has takes on six tracks";
    const QPixmap grabbed = window->grab();
    ASSERT_EQ(grabbed.devicePixelRatio(), 2.0) << "the test must run at QT_SCALE_FACTOR=2";
    picture = grabbed.toImage();
  }

  // The blocks over a logical rectangle of `control`.
  EdgeBlocks Over(const QWidget* control, QRect area) const {
    const QRect inWindow(control->mapTo(window.get(), area.topLeft()), area.size());
    return CountEdgeBlocks(picture, QRect(inWindow.topLeft() * 2, inWindow.size() * 2));
  }

  QImage picture;
};

TEST_F(WindowAtTwiceTheScale, DrawsTheTrackKeysDigitsAndTheTakeNamesAtFullResolution) {
  // The first six track keys, inside their caps; the take cells holding the
  // demo's six named takes.
  const EdgeBlocks digits = Over(window->TrackSel, QRect(4, 4, 12, 6 * 20 - 8));
  const EdgeBlocks names = Over(window->TakeSel, QRect(2, 2, 56, 6 * 20 - 4));
  const EdgeBlocks tree = Over(window->DirTree->viewport(), window->DirTree->viewport()->rect());
  ASSERT_GT(digits.onEdge, 50);
  ASSERT_GT(names.onEdge, 200);
  // Drawn at 100 % and doubled, none of them would be mixed.
  EXPECT_GT(digits.MixedShare(), 0.5) << digits;
  EXPECT_GT(names.MixedShare(), 0.5) << names;
  // Qt's own folder tree beside them, for comparison: its icons and the
  // selection's bar lie on whole pixels, its text does not.
  EXPECT_GT(tree.MixedShare(), 0.2) << tree;
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A skinned control renders its skin for the ratio of its screen whenever it
// paints, so a move to a screen of another ratio comes out sharp as long as
// the move repaints every control (Qt's widget window repaints itself on
// QWindow::screenChanged).
TEST_F(WindowAtTwiceTheScale, RepaintsEverySkinnedControlWhenTheWindowMovesToAnotherScreen) {
  RunUntilIdle();
  PaintCounter keys(window->TrackSel), takes(window->TakeSel), slider(window->Slider);
  RunUntilIdle();
  ASSERT_EQ(keys.paints + takes.paints + slider.paints, 0) << "the window is at rest";
  QWindow* handle = window->windowHandle();
  ASSERT_NE(handle, nullptr);
  // What Qt reports when the window lands on another screen (the offscreen
  // platform has one screen, whose ratio a test cannot change).
  emit handle->screenChanged(QGuiApplication::primaryScreen());
  RunUntilIdle();
  EXPECT_GT(keys.paints, 0);
  EXPECT_GT(takes.paints, 0);
  EXPECT_GT(slider.paints, 0);
}

}  // namespace
}  // namespace tp::test
