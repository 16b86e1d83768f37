#include "folders/tdirtreeview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace tp {
namespace {

// Display names compare with the locale's rules, letter case counting.
class FolderItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    return QString::localeAwareCompare(text(0), other.text(0)) < 0;
  }
};

bool hasVisibleSubfolder(const QString& path) {
  QDirIterator entries(path, QDir::Dirs | QDir::NoDotAndDotDot);
  return entries.hasNext();
}

// The path as the tree reports it: absolute, cleaned, a trailing separator
// only on "/".
QString normalPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool isInside(const QString& path, const QString& folder) {
  if (folder == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
  return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

}  // namespace

TDirTreeView::TDirTreeView(QWidget* parent, PlaceSource places) : QTreeWidget(parent), places_(std::move(places)) {
  setColumnCount(1);
  header()->hide();
  // Long folder names widen the column and bring up the horizontal scroll
  // bar instead of being cut short.
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  setRootIsDecorated(false);  // no lines at the root: the Desktop stands alone
  // A song two levels down ("Home", "TrackPorter Demo") fits the page at
  // the window's first width without a horizontal scroll bar.
  setIndentation(12);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);  // levels are sorted when listed or on request, never behind our back
  setUniformRowHeights(true);

  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { CanExpand(node); });
  // The selection, not the current item: a focused tree gets a current item
  // without anyone choosing a folder.
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { Change(); });
}

void TDirTreeView::contextMenuEvent(QContextMenuEvent* event) {
  // From the keyboard the menu is for the selected folder, not for whatever
  // lies under the mouse pointer.
  QTreeWidgetItem* node = event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  const QString path = node ? node->data(0, PathRole).toString() : QString();
  if (path.isEmpty()) return;
  QPoint at = event->globalPos();
  if (event->reason() != QContextMenuEvent::Mouse) at = viewport()->mapToGlobal(visualItemRect(node).center());
  emit FolderMenuRequested(path, at);
  event->accept();
}

void TDirTreeView::Loaded() {
  if (built_) return;
  built_ = true;
  BroDir();
}

void TDirTreeView::BroDir() {
  // Clearing selects nothing; what it reports must not reach the owner.
  const QSignalBlocker quiet(this);
  clear();
  current_.reset();

  QTreeWidgetItem* root =
      AddNode(invisibleRootItem(), tr("Desktop"), QString(), icons_.icon(QAbstractFileIconProvider::Desktop));
  for (const DesktopPlace& place : places_()) {
    const QString path = normalPath(place.path);
    QIcon icon = path == QLatin1String("/") ? icons_.icon(QAbstractFileIconProvider::Computer)
                 : path.startsWith(QLatin1String("/media/")) || path.startsWith(QLatin1String("/run/media/")) ||
                         path.startsWith(QLatin1String("/mnt"))
                     ? icons_.icon(QAbstractFileIconProvider::Drive)
                     : icons_.icon(QFileInfo(path));
    AddNode(root, place.label, path, icon);
  }
  root->setData(0, ListedRole, true);
  root->setExpanded(true);
}

QTreeWidgetItem* TDirTreeView::AddNode(QTreeWidgetItem* parent, const QString& label, const QString& path,
                                       const QIcon& icon) {
  auto* node = new FolderItem(parent, QStringList{label});
  node->setData(0, PathRole, path);
  node->setData(0, ListedRole, false);
  node->setIcon(0, icon);
  // Marked as having children until a listing says otherwise; asking every
  // folder now would list each one twice.
  node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return node;
}

void TDirTreeView::CanExpand(QTreeWidgetItem* node) {
  if (node->data(0, ListedRole).toBool()) return;
  BroFolder(node);
}

void TDirTreeView::BroFolder(QTreeWidgetItem* node) {
  node->setData(0, ListedRole, true);
  const QString path = node->data(0, PathRole).toString();

  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Hidden folders are left out because QDir::Hidden is not asked for. A
  // folder that cannot be read gives an empty list.
  const QFileInfoList folders = QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
  for (const QFileInfo& folder : folders) {
    QTreeWidgetItem* child = AddNode(node, folder.fileName(), normalPath(folder.absoluteFilePath()),
                                     icons_.icon(folder));
    if (!hasVisibleSubfolder(folder.absoluteFilePath()))
      child->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  }
  QApplication::restoreOverrideCursor();

  if (folders.isEmpty()) node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  SortLevel(node);
}

void TDirTreeView::SortLevel(QTreeWidgetItem* node) { node->sortChildren(0, Qt::AscendingOrder); }

void TDirTreeView::SortAll() {
  std::vector<QTreeWidgetItem*> pending{invisibleRootItem()};
  while (!pending.empty()) {
    QTreeWidgetItem* node = pending.back();
    pending.pop_back();
    if (node->childCount() == 0) continue;
    SortLevel(node);
    for (int i = 0; i < node->childCount(); ++i) pending.push_back(node->child(i));
  }
}

void TDirTreeView::Change() {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return;
  // A folder can lie under two places (the home folder under "Home" and
  // under "File System"): the node clicked is the one that stays selected,
  // not the one a search by path would find first.
  SetCurFolder(selected.first()->data(0, PathRole).toString(), selected.first());
}

void TDirTreeView::SetCurFolder(const QString& path, QTreeWidgetItem* chosen) {
  if (current_ && *current_ == path) return;
  current_ = path;
  if (QTreeWidgetItem* node = chosen ? chosen : SearchFolder(path)) {
    const QSignalBlocker quiet(this);
    setCurrentItem(node);
    scrollToItem(node);
  }
  viewport()->update();
  emit OnChange(this, path);
}

QTreeWidgetItem* TDirTreeView::ChildWithPath(QTreeWidgetItem* node, const QString& path) {
  for (int i = 0; i < node->childCount(); ++i)
    if (node->child(i)->data(0, PathRole).toString() == path) return node->child(i);
  return nullptr;
}

QTreeWidgetItem* TDirTreeView::SearchFolder(const QString& path) {
  QTreeWidgetItem* root = topLevelItem(0);
  if (!root || path.isEmpty()) return root;

  // The place that holds the path most closely: a volume under /media wins
  // over "/", the home folder over "/".
  QTreeWidgetItem* node = nullptr;
  int bestLength = -1;
  for (int i = 0; i < root->childCount(); ++i) {
    const QString placePath = root->child(i)->data(0, PathRole).toString();
    if (isInside(path, placePath) && placePath.size() > bestLength) {
      node = root->child(i);
      bestLength = int(placePath.size());
    }
  }
  if (!node) return root;

  // Walk down one component at a time, listing each level on the way; stop
  // where no child matches (a hidden folder, one made since the listing).
  QString reached = node->data(0, PathRole).toString();
  const QStringList rest = path.mid(reached.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (const QString& component : rest) {
    node->setExpanded(true);  // lists the node through CanExpand
    reached = reached.endsWith(QLatin1Char('/')) ? reached + component : reached + QLatin1Char('/') + component;
    QTreeWidgetItem* child = ChildWithPath(node, reached);
    if (!child) break;
    node = child;
  }
  return node;
}

QString TDirTreeView::GetDirectory() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->data(0, PathRole).toString();
}

void TDirTreeView::SetDirectory(const QString& path) {
  if (path.isEmpty()) {
    SetCurFolder(QString());
    return;
  }
  const QFileInfo folder(path);
  if (!folder.isDir()) return;
  SetCurFolder(normalPath(path));
}

void TDirTreeView::ReBuild() {
  const std::optional<QString> remembered = current_;
  BroDir();
  QCoreApplication::processEvents();
  if (remembered) SetDirectory(*remembered);
}

}  // namespace tp
