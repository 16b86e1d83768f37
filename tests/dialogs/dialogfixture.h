// What the dialog tests share: WAV and AIFF files written by libsndfile,
// and running TCOpenDialog with a step that acts inside it.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QAbstractItemView>
#include <QFileSystemModel>
#include <QTest>
#include <QTimer>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "dialogs/tcopendialog.h"
#include "support/sndfileio.h"

namespace tp::test {

// A file of `frames` frames of silence.
inline void writeSilence(const std::filesystem::path& path, int format, int channels, int rate, size_t frames) {
  WriteWithSndfile(path, format, channels, rate, std::vector<int16_t>(frames * size_t(channels), 0));
}

// Runs the dialog modally; `inside` runs once it is on screen (from the
// dialog's own event loop). The dialog is cancelled afterwards unless
// `inside` has closed it.
inline bool executeWith(TCOpenDialog& dialog, const std::function<void()>& inside) {
  QTimer::singleShot(0, [&] {
    inside();
    if (QDialog* window = dialog.DialogWindow(); window && window->isVisible()) window->reject();
  });
  return dialog.Execute();
}

// The names the open dialog lists in `folder`, once its listing has
// arrived (the file system model reads folders on a thread of its own; the
// guard only keeps a broken test from hanging).
inline std::set<QString> listedNames(QFileDialog& files, const QString& folder, size_t expectedCount) {
  auto* model = files.findChild<QFileSystemModel*>();
  if (!model) return {};
  const QModelIndex root = model->index(folder);
  for (int waited = 0; waited < 10000 && size_t(model->rowCount(root)) < expectedCount; waited += 10)
    QTest::qWait(10);
  std::set<QString> names;
  for (int row = 0; row < model->rowCount(root); ++row) names.insert(model->index(row, 0, root).data().toString());
  return names;
}

// Clicks `path` in the dialog's file list as a user would (selectFile
// selects without making the file current, so it reports no selection
// change). False when the file is not listed.
inline bool clickInFileList(QFileDialog& files, const QString& path) {
  auto* model = files.findChild<QFileSystemModel*>();
  if (!model) return false;
  const QModelIndex index = model->index(path);
  for (const char* name : {"listView", "treeView"}) {
    auto* view = files.findChild<QAbstractItemView*>(name);
    if (!view || !view->isVisible() || !index.isValid()) continue;
    view->scrollTo(index);
    const QRect cell = view->visualRect(index);
    if (cell.isEmpty()) return false;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    return true;
  }
  return false;
}

}  // namespace tp::test
