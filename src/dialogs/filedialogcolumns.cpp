#include "dialogs/filedialogcolumns.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace tp {
namespace {

void SizeSideBarToContents(QFileDialog& files) {
  auto* sideBar = files.findChild<QListView*>(QStringLiteral("sidebar"));
  if (!sideBar || sideBar->model() == nullptr) return;
  // Its names, the icons beside them, the frame and room for a scroll bar
  // should the places outgrow the height.
  const int needed = sideBar->sizeHintForColumn(0) + 2 * sideBar->frameWidth() +
                     sideBar->verticalScrollBar()->sizeHint().width();
  sideBar->setMinimumWidth(std::max(sideBar->minimumWidth(), needed));
  if (auto* splitter = files.findChild<QSplitter*>(QStringLiteral("splitter"))) {
    QList<int> sizes = splitter->sizes();
    if (sizes.size() >= 2 && sizes[0] < needed) {
      sizes[1] = std::max(0, sizes[1] - (needed - sizes[0]));
      sizes[0] = needed;
      splitter->setSizes(sizes);
    }
  }
}

}  // namespace

void SizeDetailColumnsToContents(QFileDialog& files) {
  SizeSideBarToContents(files);
  auto* details = files.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!details) return;  // a dialog of the desktop's, not Qt's
  QHeaderView* header = details->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column < header->count(); ++column)
    header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace tp
