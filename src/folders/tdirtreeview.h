// TDirTreeView: the folder tree of the "Folders" tab. The root is a virtual
// "Desktop" node (it has no file system path and reports an empty one);
// below it the places of the machine (home, "/", mounted volumes), and
// below those the folders of the file system, each listed the first time its
// node is expanded. Hidden folders are left out. Selecting a node reports
// its path through OnChange once per distinct folder.
#pragma once

#include <QFileIconProvider>
#include <QPoint>
#include <QString>
#include <QTreeWidget>

#include <functional>
#include <optional>
#include <vector>

#include "folders/desktopplaces.h"

namespace tp {

class TDirTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  using PlaceSource = std::function<std::vector<DesktopPlace>()>;

  // `places` gives the Desktop's children each time the tree is built;
  // MachinePlaces by default, a fixed list in tests.
  explicit TDirTreeView(QWidget* parent = nullptr, PlaceSource places = MachinePlaces);

  // Builds the tree once, after the owner has set it up.
  void Loaded();
  // Rebuilds the whole tree from the root; forgets the current folder.
  void BroDir();

  // The selected node's path; empty for the Desktop and when nothing is selected.
  QString GetDirectory() const;
  // Selects the folder at `path` and reports it. A path that names no
  // folder changes nothing. An empty path stands for the Desktop.
  void SetDirectory(const QString& path);
  // Rebuilds the tree, lets pending events run, and selects the current
  // folder again, which reports it again.
  void ReBuild();
  // Sorts every level that has been listed, each by display name with the
  // locale's case-sensitive comparison.
  void SortAll();

  // The folder reported last, if any.
  std::optional<QString> CurrentFolder() const { return current_; }

  static constexpr int PathRole = Qt::UserRole;
  static constexpr int ListedRole = Qt::UserRole + 1;

 signals:
  void OnChange(TDirTreeView* sender, const QString& path);
  // A right-click (or the menu key) on a folder: its path and the screen
  // position for the menu. The owner decides what the menu offers; the
  // Desktop, which is no folder, asks for none.
  void FolderMenuRequested(const QString& path, QPoint globalPosition);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void CanExpand(QTreeWidgetItem* node);
  void Change();
  // `node`, when given, is the one the user chose and stays selected;
  // otherwise the folder is looked up from its path.
  void SetCurFolder(const QString& path, QTreeWidgetItem* node = nullptr);
  QTreeWidgetItem* SearchFolder(const QString& path);

 private:
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& label, const QString& path,
                           const QIcon& icon);
  void BroFolder(QTreeWidgetItem* node);
  static void SortLevel(QTreeWidgetItem* node);
  QTreeWidgetItem* ChildWithPath(QTreeWidgetItem* node, const QString& path);

  PlaceSource places_;
  QFileIconProvider icons_;
  std::optional<QString> current_;
  bool built_ = false;
};

}  // namespace tp
