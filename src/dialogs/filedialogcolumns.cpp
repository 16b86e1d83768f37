#include "dialogs/filedialogcolumns.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace tp {

void SizeDetailColumnsToContents(QFileDialog& files) {
  auto* details = files.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!details) return;  // a dialog of the desktop's, not Qt's
  QHeaderView* header = details->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column < header->count(); ++column)
    header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace tp
