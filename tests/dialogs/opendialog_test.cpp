// TCOpenDialog with a sub-form: adopting it, making room for it, following
// the dialog's size, placing the dialog, and handing the form back.
#include "dialogs/tcopendialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include <optional>

#include "dialogfixture.h"
#include "dialogs/tdialogcustomizer.h"
#include "dialogs/tgetwin.h"
#include "playback/virtualpreviewoutput.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using test::executeWith;

const char* const ImportFilter = "Audio(*.wav;*.aif)|*.wav;*.aif|Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif";

QRect rectOf(const DialogTakeOver& dialog) { return QRect(QPoint(0, 0), QSize(dialog.client.width, dialog.client.height)); }

// WavOpen as the main window sets it up, with TGetWin as its sub-form.
class OpenDialogTest : public ::testing::Test {
 protected:
  OpenDialogTest() {
    mainWindow.resize(700, 500);
    mainWindow.show();
    dialog.SetDefaultExt("wav");
    dialog.SetFilter(ImportFilter);
    dialog.SetSubFormPos(fpBottom);
    dialog.SetSubFormAnchors(faLeft | faTop | faRight | faBottom);
    dialog.SetDialogSizing(true);
    dialog.SetInitialDir(QString::fromStdString(folder.path().string()));
    dialog.OnSelectionChange = [this](TCOpenDialog* sender) {
      getWin.SetPreviewFile(sender->FileName());
      getWin.ShowWaveInfo();
    };
  }

  test::TempFolder folder;
  QWidget mainWindow;
  TCOpenDialog dialog{&mainWindow};
  TGetWin getWin{nullptr, std::make_unique<VirtualPreviewOutput>()};
};

TEST_F(OpenDialogTest, TheDialogOpensTallerByThePreviewWhichFillsTheBottomStrip) {
  dialog.SetSubForm(&getWin);
  executeWith(dialog, [&] {
    QDialog* window = dialog.DialogWindow();
    ASSERT_NE(window, nullptr);
    const DialogTakeOver plain = dialog.Customizer()->TakeOver();
    const int frameWidth = plain.window.width - plain.client.width;
    const int frameHeight = plain.window.height - plain.client.height;

    EXPECT_EQ(dialog.Customizer()->State(), TDialogCustomizer::StateCustomized);
    EXPECT_EQ(window->size(), QSize(plain.client.width, plain.client.height + 96));
    EXPECT_EQ(getWin.parentWidget(), window);
    EXPECT_TRUE(getWin.isVisible());
    EXPECT_EQ(getWin.geometry(), QRect(0, plain.client.height, plain.client.width, 96));
    EXPECT_EQ(dialog.FileDialog()->geometry(), rectOf(plain));
    EXPECT_EQ(dialog.Unit().EdgeSpace(), (TDialogEdgeSpace{0, 0, 0, 96}));
    // No lower than H0 + SH, no narrower than the larger of W0 and SW + fx.
    const LayoutSize minimum{std::max(plain.window.width, 416 + frameWidth), plain.window.height + 96};
    EXPECT_EQ(dialog.Customizer()->MinimumWindowSize(), minimum);
    EXPECT_EQ(window->minimumSize(), QSize(minimum.width - frameWidth, minimum.height - frameHeight));
  });
  EXPECT_EQ(dialog.Unit().EdgeSpace(), TDialogEdgeSpace{}) << "no dialog open";
}

TEST_F(OpenDialogTest, ResizingKeepsThePreviewAtTheBottomStretchedToTheWidth) {
  dialog.SetSubForm(&getWin);
  executeWith(dialog, [&] {
    QDialog* window = dialog.DialogWindow();
    const QSize opened = window->size();
    struct Step {
      QSize asked;
      QSize client;
    };
    const Step steps[] = {
        {opened + QSize(300, 200), opened + QSize(300, 200)},
        {opened + QSize(40, 0), opened + QSize(40, 0)},
        // Smaller than the minimum: held at the minimum.
        {QSize(100, 100), window->minimumSize()},
    };
    for (const Step& step : steps) {
      window->resize(step.asked);
      QCoreApplication::processEvents();
      ASSERT_EQ(window->size(), step.client);
      EXPECT_EQ(getWin.geometry(), QRect(0, step.client.height() - 96, step.client.width(), 96));
      EXPECT_EQ(dialog.FileDialog()->geometry(), QRect(0, 0, step.client.width(), step.client.height() - 96));
    }
  });
}

// What is inside the form stretches with it: the format frame and the
// outline reach across to 15 pixels from the right edge, the loudspeaker
// button stays 52 pixels from it, and nothing grows taller.
TEST_F(OpenDialogTest, WideningTheDialogStretchesThePreviewsFrameAndOutline) {
  dialog.SetSubForm(&getWin);
  executeWith(dialog, [&] {
    QDialog* window = dialog.DialogWindow();
    for (const int wider : {0, 300, 700}) {
      window->resize(window->minimumSize() + QSize(wider, 0));
      QCoreApplication::processEvents();
      const int width = window->width();
      ASSERT_EQ(getWin.width(), width) << wider;
      EXPECT_EQ(getWin.Bevel1()->geometry(), QRect(8, 4, width - 23, 41)) << wider;
      EXPECT_EQ(getWin.WaveView()->geometry(), QRect(8, 50, width - 23, 40)) << wider;
      EXPECT_EQ(getWin.AudBtn()->geometry(), QRect(width - 52, 12, 23, 22)) << wider;
      EXPECT_EQ(getWin.WaveView()->Columns(), width - 25) << wider;
    }
  });
}

// A user who opens the dialog and types a path finds it in the file name
// field: that field has the keyboard focus from the start.
TEST_F(OpenDialogTest, TypingAsSoonAsTheDialogOpensGoesIntoTheFileName) {
  test::writeSilence(folder / "typed.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 10);
  dialog.SetSubForm(&getWin);
  QString focusedName;
  const bool chosen = executeWith(dialog, [&] {
    // The widget that has the focus in the dialog window (and the keyboard
    // once the window is active, as it is on a desktop).
    QWidget* focused = dialog.DialogWindow()->focusWidget();
    ASSERT_NE(focused, nullptr);
    focusedName = focused->objectName();
    QTest::keyClicks(focused, QStringLiteral("typed.wav"));
    QTest::keyClick(focused, Qt::Key_Return);
  });
  EXPECT_EQ(focusedName, QStringLiteral("fileNameEdit"));
  EXPECT_TRUE(chosen);
  EXPECT_EQ(dialog.FileName(), QString::fromStdString((folder / "typed.wav").string()));
}

// Each position on a small plain form, with margins for fpClient. C0 is the
// file dialog's client size when the customizer took it over.
TEST_F(OpenDialogTest, EveryPositionPlacesTheSubFormByTheLayoutRule) {
  struct Case {
    TSubFormPos position;
    QSize grown;  // added to C0 when the dialog opens
    std::function<QRect(QSize c0)> subForm;
    std::function<QRect(QSize c0)> controls;
  };
  const Case cases[] = {
      {fpLeft, {200, 0}, [](QSize c0) { return QRect(0, 0, 200, c0.height()); },
       [](QSize c0) { return QRect(200, 0, c0.width(), c0.height()); }},
      {fpRight, {200, 0}, [](QSize c0) { return QRect(c0.width(), 0, 200, c0.height()); },
       [](QSize c0) { return QRect(0, 0, c0.width(), c0.height()); }},
      {fpTop, {0, 80}, [](QSize c0) { return QRect(0, 0, c0.width(), 80); },
       [](QSize c0) { return QRect(0, 80, c0.width(), c0.height()); }},
      {fpBottom, {0, 80}, [](QSize c0) { return QRect(0, c0.height(), c0.width(), 80); },
       [](QSize c0) { return QRect(0, 0, c0.width(), c0.height()); }},
      {fpClient, {10 + 30, 20 + 40}, [](QSize c0) { return QRect(0, 0, c0.width() + 40, c0.height() + 60); },
       [](QSize c0) { return QRect(10, 20, c0.width(), c0.height()); }},
  };
  QWidget form;
  form.resize(200, 80);
  dialog.SetMinEdgeSpace({10, 20, 30, 40});
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.position));
    dialog.SetSubFormPos(c.position);
    dialog.SetSubForm(&form);
    executeWith(dialog, [&] {
      const DialogTakeOver plain = dialog.Customizer()->TakeOver();
      const QSize c0(plain.client.width, plain.client.height);
      EXPECT_EQ(dialog.DialogWindow()->size(), c0 + c.grown);
      EXPECT_EQ(form.geometry(), c.subForm(c0));
      EXPECT_EQ(dialog.FileDialog()->geometry(), c.controls(c0));
    });
    EXPECT_EQ(form.size(), QSize(200, 80));
  }
}

TEST_F(OpenDialogTest, ChangingThePositionWhileTheDialogIsOpenHasNoEffect) {
  dialog.SetSubForm(&getWin);
  QWidget other;
  executeWith(dialog, [&] {
    const QRect placed = getWin.geometry();
    dialog.SetSubFormPos(fpLeft);
    dialog.SetSubForm(&other);
    dialog.SetMinEdgeSpace({5, 5, 5, 5});
    EXPECT_EQ(dialog.SubFormPos(), fpBottom);
    EXPECT_EQ(dialog.SubForm(), &getWin);
    EXPECT_EQ(dialog.MinEdgeSpace(), TDialogMinEdgeSpace{});
    EXPECT_EQ(getWin.geometry(), placed);
  });
  // Closed again, the values are simply stored.
  dialog.SetSubFormPos(fpLeft);
  EXPECT_EQ(dialog.SubFormPos(), fpLeft);
}

// The owner gets the form back exactly as it was, ready for the next
// import: once as the hidden window TGetWin is, once as a visible child of
// another widget.
TEST_F(OpenDialogTest, TheSubFormComesBackUnchangedAndASecondAttachWorksTheSame) {
  QWidget container;
  container.resize(600, 300);
  container.show();
  QWidget child(&container);
  child.setGeometry(30, 40, 300, 70);
  child.show();

  getWin.setGeometry(50, 60, 416, 96);
  getWin.setWindowState(Qt::WindowMaximized);

  struct Case {
    const char* name;
    QWidget* form;
  };
  for (const Case& c : {Case{"window", &getWin}, Case{"child", &child}}) {
    SCOPED_TRACE(c.name);
    QWidget& form = *c.form;
    const QWidget* parent = form.parentWidget();
    const Qt::WindowFlags flags = form.windowFlags();
    const QRect bounds = form.geometry();
    const Qt::WindowStates state = form.windowState();
    const bool hidden = form.isHidden();

    std::optional<QRect> firstPlacement;
    for (int attach = 1; attach <= 2; ++attach) {
      SCOPED_TRACE(attach);
      dialog.SetSubForm(&form);
      executeWith(dialog, [&] {
        EXPECT_EQ(form.parentWidget(), dialog.DialogWindow());
        EXPECT_FALSE(form.isWindow());
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.windowState(), Qt::WindowNoState);
        EXPECT_EQ(form.height(), bounds.height());
        if (!firstPlacement) firstPlacement = form.geometry();
        EXPECT_EQ(form.geometry(), *firstPlacement);
      });
      EXPECT_EQ(form.parentWidget(), parent);
      EXPECT_EQ(form.windowFlags(), flags);
      EXPECT_EQ(form.geometry(), bounds);
      EXPECT_EQ(form.windowState(), state);
      EXPECT_EQ(form.isHidden(), hidden);
    }
  }
}

TEST_F(OpenDialogTest, ASubFormDestroyedWhileAttachedIsForgotten) {
  auto* form = new QWidget;
  form->resize(300, 50);
  dialog.SetSubForm(form);
  executeWith(dialog, [&] { delete form; });
  EXPECT_EQ(dialog.SubForm(), nullptr);
  // The next dialog is the plain one.
  executeWith(dialog, [&] {
    const DialogTakeOver plain = dialog.Customizer()->TakeOver();
    EXPECT_EQ(dialog.Customizer()->MinimumWindowSize(), plain.window);
    EXPECT_EQ(dialog.DialogWindow()->size(), QSize(plain.client.width, plain.client.height));
  });
}

// Positions are the client area's corner (see TCustomDlgsUnit); the
// offscreen platform gives windows a frame of a few pixels, as a window
// manager would.
TEST_F(OpenDialogTest, OpensCentredOneThirdDownFirstAndWhereTheUserLeftItAfterwards) {
  dialog.SetSubForm(&getWin);
  EXPECT_EQ(dialog.Unit().RememberedPosition(), QPoint(-1, -1));
  QPoint leftAt;
  executeWith(dialog, [&] {
    QDialog* window = dialog.DialogWindow();
    const QRect monitor = mainWindow.screen()->geometry();
    const QRect outer = window->frameGeometry();
    EXPECT_EQ(outer.topLeft(), QPoint(monitor.left() + (monitor.width() - outer.width()) / 2,
                                      monitor.top() + (monitor.height() - outer.height()) / 3));
    EXPECT_EQ(QPoint(dialog.Left(), dialog.Top()), window->geometry().topLeft());
    // The user drags it elsewhere by its frame.
    window->move(37, 21);
    leftAt = window->geometry().topLeft();
  });
  EXPECT_EQ(dialog.Unit().RememberedPosition(), leftAt);
  EXPECT_EQ(QPoint(dialog.Left(), dialog.Top()), leftAt);
  executeWith(dialog, [&] {
    EXPECT_EQ(dialog.DialogWindow()->pos(), QPoint(37, 21)) << "the frame is where the user left it";
    // Written while open, the position moves the window.
    dialog.SetTop(60);
    EXPECT_EQ(dialog.DialogWindow()->geometry().topLeft(), QPoint(leftAt.x(), 60));
  });
  EXPECT_EQ(dialog.Unit().RememberedPosition(), QPoint(leftAt.x(), 60));
  // Written while closed, it is where the next dialog opens.
  dialog.SetLeft(90);
  executeWith(dialog, [&] { EXPECT_EQ(dialog.DialogWindow()->geometry().topLeft(), QPoint(90, 60)); });
}

TEST_F(OpenDialogTest, TheSizeTheUserLeftIsRememberedButTheDialogOpensAtItsOwnSize) {
  dialog.SetSubForm(&getWin);
  QSize opened, resized;
  executeWith(dialog, [&] {
    opened = dialog.DialogWindow()->size();
    dialog.DialogWindow()->resize(opened + QSize(120, 80));
    QCoreApplication::processEvents();
    resized = dialog.DialogWindow()->frameGeometry().size();
  });
  EXPECT_EQ(dialog.Unit().RememberedSize(), resized);
  executeWith(dialog, [&] { EXPECT_EQ(dialog.DialogWindow()->size(), opened); });
}

TEST_F(OpenDialogTest, ASelectionSetsFileNameBeforeTheEventAndAChosenFileIsReturned) {
  const auto wav = folder / "Take one.wav";
  test::writeSilence(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 123456);
  const QString path = QString::fromStdString(wav.string());
  dialog.SetSubForm(&getWin);
  QStringList seen;
  dialog.OnSelectionChange = [&](TCOpenDialog* sender) {
    seen << sender->FileName();
    getWin.SetPreviewFile(sender->FileName());
    getWin.ShowWaveInfo();
  };
  const bool chosen = executeWith(dialog, [&] {
    QFileDialog* files = dialog.FileDialog();
    ASSERT_EQ(test::listedNames(*files, dialog.InitialDir(), 1), (std::set<QString>{"Take one.wav"}));
    ASSERT_TRUE(test::clickInFileList(*files, path));
    EXPECT_EQ(dialog.FileName(), path);
    EXPECT_EQ(getWin.FramesLabel()->text(), "Sampling Frames : 123456 (stereo)  0:00:02:799");
    static_cast<QDialog*>(files)->accept();  // the Open button
  });
  EXPECT_TRUE(chosen);
  EXPECT_EQ(dialog.FileName(), path);
  ASSERT_FALSE(seen.isEmpty());
  EXPECT_EQ(seen.back(), path);
}

TEST_F(OpenDialogTest, CancellingReturnsFalseAndKeepsTheFileNameItHadBefore) {
  test::writeSilence(folder / "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 10);
  dialog.SetFileName("before.wav");
  const bool chosen = executeWith(dialog, [&] {
    QFileDialog* files = dialog.FileDialog();
    test::listedNames(*files, dialog.InitialDir(), 1);
    ASSERT_TRUE(test::clickInFileList(*files, QString::fromStdString((folder / "a.wav").string())));
    EXPECT_TRUE(dialog.FileName().endsWith("a.wav"));
  });
  EXPECT_FALSE(chosen);
  EXPECT_EQ(dialog.FileName(), "before.wav");
}

// The three texts are shown as written, and matching ignores letter case.
TEST_F(OpenDialogTest, TheImportFiltersShowTheirTextsAndFindWavAndAifInAnyCase) {
  for (const char* name : {"a.wav", "B.WAV", "c.AIF", "d.aif"})
    test::writeSilence(folder / name, (std::string(name).ends_with("wav") || std::string(name).ends_with("WAV"))
                                          ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
                                          : SF_FORMAT_AIFF | SF_FORMAT_PCM_16,
                       1, 44100, 10);
  test::WriteBytes(folder / "notes.txt", {'x'});
  test::WriteBytes(folder / "long.aiff", {'x'});
  struct Case {
    int filterIndex;
    std::set<QString> listed;
  };
  const Case cases[] = {
      {1, {"a.wav", "B.WAV", "c.AIF", "d.aif"}},
      {2, {"a.wav", "B.WAV"}},
      {3, {"c.AIF", "d.aif"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filterIndex);
    dialog.SetFilterIndex(c.filterIndex);
    executeWith(dialog, [&] {
      QFileDialog* files = dialog.FileDialog();
      auto* types = files->findChild<QComboBox*>("fileTypeCombo");
      ASSERT_NE(types, nullptr);
      QStringList texts;
      for (int i = 0; i < types->count(); ++i) texts << types->itemText(i);
      EXPECT_EQ(texts, (QStringList{"Audio(*.wav;*.aif)", "Windows Wave(*.wav)", "AIFF(*.aif)"}));
      EXPECT_EQ(types->currentIndex(), c.filterIndex - 1);
      EXPECT_EQ(test::listedNames(*files, dialog.InitialDir(), c.listed.size()), c.listed);
    });
  }
}

// The list shows the texts alone and reports the choice by them.
TEST_F(OpenDialogTest, FilterIndexFollowsTheTypeTheUserPicksInTheList) {
  dialog.SetFilterIndex(1);
  executeWith(dialog, [&] {
    auto* types = dialog.FileDialog()->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(types->currentText(), QStringLiteral("AIFF(*.aif)"));
  });
  EXPECT_EQ(dialog.FilterIndex(), 3);
  executeWith(dialog, [&] {
    EXPECT_EQ(dialog.FileDialog()->findChild<QComboBox*>("fileTypeCombo")->currentIndex(), 2) << "offered again";
  });
}

TEST_F(OpenDialogTest, AnEmptyCaptionKeepsTheDialogsOwnTitle) {
  struct Case {
    QString caption;
    QString title;
  };
  for (const Case& c : {Case{"", "Open"}, Case{"Import a take", "Import a take"}}) {
    dialog.SetCaption(c.caption);
    executeWith(dialog, [&] {
      EXPECT_EQ(dialog.DialogWindow()->windowTitle(), c.title);
      EXPECT_EQ(dialog.Caption(), c.title);
    });
    EXPECT_EQ(dialog.Caption(), c.caption);
  }
}

TEST_F(OpenDialogTest, WithoutASubFormTheDialogKeepsItsSizeAndIsStillCentred) {
  executeWith(dialog, [&] {
    QDialog* window = dialog.DialogWindow();
    const DialogTakeOver plain = dialog.Customizer()->TakeOver();
    EXPECT_EQ(window->size(), QSize(plain.client.width, plain.client.height));
    EXPECT_EQ(dialog.Customizer()->MinimumWindowSize(), plain.window);
    EXPECT_EQ(dialog.FileDialog()->geometry(), rectOf(plain));
    const QRect monitor = mainWindow.screen()->geometry();
    const QRect outer = window->frameGeometry();
    EXPECT_EQ(outer.x(), monitor.left() + (monitor.width() - outer.width()) / 2);
  });
}

}  // namespace
}  // namespace tp
