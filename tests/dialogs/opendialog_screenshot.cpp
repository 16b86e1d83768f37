// Opens the import's open dialog with the wave preview on a real display,
// selects a WAV file and takes pictures of the screen: as the dialog opens,
// while the preview plays (its position over the file's outline), and after
// it was resized larger. For a person to look at:
//
//   xvfb-run -s '-screen 0 1280x800x24' build/tests/dialogs/dialogs_screenshot OUT_FOLDER
//
// Each picture is taken with ImageMagick's `import -window root`, so it
// shows what the X server shows, window frame (if any) included.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QVBoxLayout>

#include <QTest>

#include <cmath>
#include <cstdio>
#include <functional>

#include "dialogfixture.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"
#include "playback/virtualpreviewoutput.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"

namespace {

void waitFor(const std::function<bool()>& ready) {
  for (int waited = 0; waited < 10000 && !ready(); waited += 20) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  // Let the window system draw what the last events changed.
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool shoot(const QString& file) {
  const int result = QProcess::execute("import", {"-window", "root", file});
  std::printf("%s: %s\n", qPrintable(file), result == 0 ? "written" : "import failed");
  return result == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

  tp::test::TempFolder folder;
  // Notes that swell and fade, the right channel a little behind the left,
  // so that the outline has a shape to show.
  const auto write = [&](const char* name, int format, int channels, int rate, size_t frames) {
    std::vector<int16_t> samples(frames * size_t(channels));
    const size_t note = size_t(rate) / 3;
    for (size_t frame = 0; frame < frames; ++frame)
      for (int channel = 0; channel < channels; ++channel) {
        const size_t at = (frame + size_t(channel) * note / 4) % note;
        const double envelope = std::exp(-6.0 * double(at) / double(note)) * (0.4 + 0.6 * double(frame) / double(frames));
        samples[frame * size_t(channels) + size_t(channel)] =
            int16_t(26000.0 * envelope * std::sin(double(frame) * 0.06 * (1 + channel)));
      }
    tp::test::WriteWithSndfile(folder / name, format, channels, rate, samples);
  };
  write("Guitar solo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 123456);
  write("Bass line.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 48000, 200000);
  write("DRUMS.WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, 22050, 50000);
  tp::test::WriteBytes(folder / "lyrics.txt", {'l', 'a'});

  QWidget mainWindow;
  mainWindow.setWindowTitle("TrackPorter");
  mainWindow.resize(640, 420);
  mainWindow.move(40, 40);
  mainWindow.show();
  // As in the program, the main window has long been framed by the window
  // manager when the user imports.
  waitFor([] { return false; });

  auto virtualOutput = std::make_unique<tp::VirtualPreviewOutput>();
  tp::VirtualPreviewOutput* output = virtualOutput.get();
  tp::TGetWin getWin(nullptr, std::move(virtualOutput));
  tp::TCOpenDialog wavOpen(&mainWindow);
  wavOpen.SetDefaultExt("wav");
  wavOpen.SetFilter("Audio(*.wav;*.aif)|*.wav;*.aif|Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif");
  wavOpen.SetSubFormPos(tp::fpBottom);
  wavOpen.SetDialogSizing(true);
  wavOpen.SetInitialDir(QString::fromStdString(folder.path().string()));
  wavOpen.OnSelectionChange = [&](tp::TCOpenDialog* sender) {
    getWin.SetPreviewFile(sender->FileName());
    getWin.ShowWaveInfo();
  };
  wavOpen.SetSubForm(&getWin);

  bool ok = true;
  QTimer::singleShot(0, [&] {
    QFileDialog* files = wavOpen.FileDialog();
    auto* model = files->findChild<QFileSystemModel*>();
    const QModelIndex root = model->index(wavOpen.InitialDir());
    waitFor([&] { return model->rowCount(root) >= 3; });
    tp::test::clickInFileList(*files, QString::fromStdString((folder / "Guitar solo.wav").string()));
    waitFor([] { return false; });
    ok = shoot(out + "/opendialog-opened.png") && ok;

    // The hear button held while a third of the file plays.
    QTest::mousePress(getWin.AudBtn(), Qt::LeftButton);
    for (int block = 0; block < 80 && output->PlayNextBlock(); ++block) QCoreApplication::sendPostedEvents();
    waitFor([] { return false; });
    ok = shoot(out + "/opendialog-playing.png") && ok;
    QTest::mouseRelease(getWin.AudBtn(), Qt::LeftButton);

    wavOpen.DialogWindow()->resize(wavOpen.DialogWindow()->size() + QSize(260, 160));
    waitFor([] { return false; });
    ok = shoot(out + "/opendialog-resized.png") && ok;
    std::printf("dialog %dx%d at %d,%d; preview at %d,%d %dx%d\n", wavOpen.DialogWindow()->width(),
                wavOpen.DialogWindow()->height(), wavOpen.DialogWindow()->x(), wavOpen.DialogWindow()->y(),
                getWin.x(), getWin.y(), getWin.width(), getWin.height());
    wavOpen.DialogWindow()->reject();
  });
  wavOpen.Execute();
  const QPoint left = wavOpen.Unit().RememberedPosition();

  // Opened again, the dialog should come back where it was left.
  QTimer::singleShot(0, [&] {
    waitFor([] { return false; });
    const QRect client = wavOpen.DialogWindow()->geometry();
    std::printf("left with its client at %d,%d; reopened with its client at %d,%d (%s)\n", left.x(), left.y(),
                client.x(), client.y(), client.topLeft() == left ? "same place" : "moved");
    ok = shoot(out + "/opendialog-reopened.png") && ok;
    wavOpen.DialogWindow()->reject();
  });
  wavOpen.Execute();
  return ok ? 0 : 1;
}
