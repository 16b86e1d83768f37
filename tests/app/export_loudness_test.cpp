// The export's loudness in the window: the line under "Converted", and the
// save dialog's "Normalise to" choice, picked in Qt's own dialog and kept
// between runs.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "support/fileloudness.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;

// Five seconds of a sine whose peak is `dbfs`.
std::vector<int16_t> SineTake(double dbfs, double frequency) {
  std::vector<int16_t> samples(5 * 44100);
  const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency * double(i) / 44100.0)));
  return samples;
}

class ExportLoudness : public test::WindowTest {
 protected:
  ExportLoudness() {
    fs::create_directories(project);
    fs::create_directories(out);
    test::WriteProjectInfo(project, "LOUD");
    test::WriteTake(project / "TRACK0_0.DAT", "A", SineTake(-30, 440));
    test::WriteTake(project / "TRACK1_0.DAT", "B", SineTake(-24, 1250));
    window = MakeWindow(false);
    window->show();
    Open(project);
    Click(window->TakeSel, 0, 0);
    Click(window->TakeSel, 1, 0);
  }

  // Answers Qt's own save dialog as a user would: `steps` presses of Down
  // in "Normalise to", then the name typed and Return. Returns what the
  // choice showed when the dialog opened.
  QString ExportThroughTheRealDialog(const QString& name, int steps) {
    dialogs->realSaveDialog = true;
    window->LastExportFolder = Q(out);  // the dialog opens there
    QString offered;
    QTimer::singleShot(0, [&] {
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(files, nullptr);
      QComboBox* normalise = nullptr;
      for (QLabel* label : files->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("Normalise to")) normalise = qobject_cast<QComboBox*>(label->buddy());
      ASSERT_NE(normalise, nullptr) << "the dialog has a \"Normalise to\" choice";
      offered = normalise->currentText();
      listed.clear();
      for (int item = 0; item < normalise->count(); ++item) listed << normalise->itemText(item);
      normalise->setFocus();
      for (int step = 0; step < steps; ++step) QTest::keyClick(normalise, Qt::Key_Down);
      auto* edit = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      edit->setFocus();
      edit->clear();
      QTest::keyClicks(edit, name);
      QTest::keyClick(edit, Qt::Key_Return);
    });
    Click(window->ExpBtn);
    return offered;
  }

  const fs::path project = scratch / "loud";
  const fs::path out = scratch / "out";
  QStringList listed;  // the "Normalise to" list the dialog showed last
};

TEST_F(ExportLoudness, TheConvertedBoxSaysTheLoudnessOfTheFileWritten) {
  dialogs->save = [this](SaveDialog& dialog) {
    dialog.fileName = Q(out / "plain.wav");
    return true;
  };
  Click(window->ExpBtn);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  const Loudness written = test::MeasureFileLoudness(out / "plain.wav");
  EXPECT_EQ(dialogs->messages[0], QStringLiteral("Converted\n") + QString::fromStdString(LoudnessText(written)));
}

TEST_F(ExportLoudness, NormaliseToInTheSaveDialogWritesTheChosenLoudnessAndIsKept) {
  // Off, -14, -16, -23: two steps down is -16 LUFS.
  EXPECT_EQ(ExportThroughTheRealDialog(QStringLiteral("sixteen"), 2), QStringLiteral("Off"));
  ASSERT_TRUE(fs::exists(out / "sixteen.wav"));
  const Loudness written = test::MeasureFileLoudness(out / "sixteen.wav");
  EXPECT_NEAR(*written.integratedLufs, -16.0, 0.1);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  const QStringList lines = dialogs->messages[0].split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3) << dialogs->messages[0].toStdString();
  EXPECT_EQ(lines[2], QStringLiteral("normalised to -16.0 LUFS"));
  // Each level says what it is for.
  EXPECT_EQ(listed, (QStringList{QStringLiteral("Off"), QStringLiteral("\u221214 LUFS (streaming)"),
                                 QStringLiteral("\u221216 LUFS (podcasts)"),
                                 QStringLiteral("\u221223 LUFS (broadcast, EBU R128)")}));

  // The next export offers the same choice, and so does the next run.
  EXPECT_EQ(ExportThroughTheRealDialog(QStringLiteral("again"), 0), QStringLiteral("\u221216 LUFS (podcasts)"));
  window->close();  // the window keeps what it remembers as it closes
  window.reset();
  window = MakeWindow(false);
  window->show();
  Open(project);
  Click(window->TakeSel, 0, 0);
  Click(window->TakeSel, 1, 0);
  EXPECT_EQ(ExportThroughTheRealDialog(QStringLiteral("third"), 0), QStringLiteral("\u221216 LUFS (podcasts)"));
  EXPECT_NEAR(*test::MeasureFileLoudness(out / "third.wav").integratedLufs, -16.0, 0.1);
}

TEST_F(ExportLoudness, OffWritesThePlainMix) {
  ExportThroughTheRealDialog(QStringLiteral("off"), 0);
  dialogs->realSaveDialog = false;
  dialogs->save = [this](SaveDialog& dialog) {
    dialog.fileName = Q(out / "scripted.wav");
    return true;
  };
  window->WavSave.choice = 0;
  Click(window->ExpBtn);
  EXPECT_EQ(test::ReadBytes(out / "off.wav"), test::ReadBytes(out / "scripted.wav"));
  const QStringList lines = dialogs->messages[0].split(QLatin1Char('\n'));
  EXPECT_EQ(lines.size(), 2) << "no normalisation line";
}

}  // namespace
}  // namespace tp
