// The folder tree on small folder trees built in a scratch folder, with the
// scratch folders as the Desktop's places instead of this machine's.
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <fstream>

#include <gtest/gtest.h>

#include "folders/tdirtreeview.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

QStringList ChildTexts(const QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

class FolderTree : public ::testing::Test {
 protected:
  FolderTree() {
    for (const char* folder : {"songs/delta", "songs/alpha/inner", "songs/charlie", "songs/bravo", "songs/.hidden",
                               "archive"})
      std::filesystem::create_directories(scratch / folder);
    std::ofstream(scratch / "songs" / "notes.txt") << "not a folder";
    songs = Q(scratch / "songs");
    archive = Q(scratch / "archive");
    tree.resize(300, 400);
    tree.Loaded();
  }

  QTreeWidgetItem* Desktop() { return tree.topLevelItem(0); }
  QTreeWidgetItem* Place(int index) { return Desktop()->child(index); }
  QString SelectedPath() {
    auto selected = tree.selectedItems();
    return selected.isEmpty() ? QStringLiteral("<none>") : selected.first()->data(0, TDirTreeView::PathRole).toString();
  }

  test::TempFolder scratch;
  QString songs, archive;
  // "Songs" before "Archive": the places keep the order they are given in.
  TDirTreeView tree{nullptr, [this] {
                      return std::vector<DesktopPlace>{{QStringLiteral("Songs"), songs},
                                                       {QStringLiteral("Archive"), archive}};
                    }};
  QSignalSpy changes{&tree, &TDirTreeView::OnChange};
};

// "songs" lies under the place "Songs" itself and under "Everything" (the
// scratch folder); a search by path prefers the closer place.
TEST_F(FolderTree, TheNodeTheUserClickedStaysSelectedWhenTheFolderAlsoLiesUnderAnotherPlace) {
  TDirTreeView both(nullptr, [this] {
    return std::vector<DesktopPlace>{{QStringLiteral("Songs"), songs},
                                     {QStringLiteral("Everything"), Q(scratch.path())}};
  });
  both.resize(300, 400);
  both.Loaded();
  both.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&both));
  QSignalSpy reports(&both, &TDirTreeView::OnChange);
  QTreeWidgetItem* everything = both.topLevelItem(0)->child(1);
  everything->setExpanded(true);
  QTreeWidgetItem* clicked = nullptr;
  for (int i = 0; i < everything->childCount(); ++i)
    if (everything->child(i)->text(0) == QLatin1String("songs")) clicked = everything->child(i);
  ASSERT_NE(clicked, nullptr);

  QTest::mouseClick(both.viewport(), Qt::LeftButton, {}, both.visualItemRect(clicked).center());
  ASSERT_EQ(both.selectedItems().size(), 1);
  EXPECT_EQ(both.selectedItems().first(), clicked);
  EXPECT_EQ(both.currentItem(), clicked);
  ASSERT_EQ(reports.count(), 1);
  EXPECT_EQ(reports[0][1].toString(), songs);

  // The arrow keys go on from there: the folder above it under "Everything".
  QTest::keyClick(&both, Qt::Key_Up);
  ASSERT_EQ(both.selectedItems().size(), 1);
  EXPECT_EQ(both.selectedItems().first()->parent(), everything);
  EXPECT_EQ(both.selectedItems().first()->text(0), QStringLiteral("archive"));
}

TEST_F(FolderTree, ShowsTheDesktopWithThePlacesBelowItAndReportsNothingWhileBuilding) {
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  EXPECT_EQ(Desktop()->text(0), QStringLiteral("Desktop"));
  EXPECT_TRUE(Desktop()->isExpanded());
  EXPECT_EQ(ChildTexts(Desktop()), (QStringList{QStringLiteral("Songs"), QStringLiteral("Archive")}));
  EXPECT_EQ(changes.count(), 0);
  EXPECT_TRUE(tree.GetDirectory().isEmpty());
}

TEST_F(FolderTree, ListsAFolderOnFirstExpansionSortedWithoutHiddenFoldersOrFiles) {
  EXPECT_EQ(Place(0)->childCount(), 0) << "nothing is listed before the node opens";
  Place(0)->setExpanded(true);
  EXPECT_EQ(ChildTexts(Place(0)), (QStringList{QStringLiteral("alpha"), QStringLiteral("bravo"),
                                               QStringLiteral("charlie"), QStringLiteral("delta")}));
  // Only alpha has a subfolder to offer.
  EXPECT_EQ(Place(0)->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(Place(0)->child(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TEST_F(FolderTree, SelectingAFolderByPathSelectsItsNodeAndReportsItOnce) {
  const QString bravo = songs + QStringLiteral("/bravo");
  tree.SetDirectory(bravo);
  tree.SetDirectory(bravo + QStringLiteral("/"));  // the same folder, spelled with a separator
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][1].toString(), bravo);
  EXPECT_EQ(SelectedPath(), bravo);
  EXPECT_EQ(tree.GetDirectory(), bravo);
}

TEST_F(FolderTree, APathThatNamesNoFolderChangesNothing) {
  tree.SetDirectory(songs);
  for (const QString& path : {songs + QStringLiteral("/notes.txt"), songs + QStringLiteral("/missing")})
    tree.SetDirectory(path);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(SelectedPath(), songs);
}

TEST_F(FolderTree, ClickingANodeReportsItsPathOnceAndTheDesktopReportsAnEmptyPath) {
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  const auto click = [this](QTreeWidgetItem* node) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(node).center());
  };
  click(Place(1));
  click(Place(1));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][1].toString(), archive);

  click(Desktop());
  ASSERT_EQ(changes.count(), 2);
  EXPECT_EQ(changes[1][1].toString(), QString());
}

TEST_F(FolderTree, ReachesAFolderBelowTheClosestPlace) {
  // With "/" as a place as well, a scratch folder lies under both; the
  // Songs place holds it more closely.
  TDirTreeView rooted(nullptr, [this] {
    return std::vector<DesktopPlace>{{QStringLiteral("File System"), QStringLiteral("/")},
                                     {QStringLiteral("Songs"), songs}};
  });
  rooted.Loaded();
  QSignalSpy reports(&rooted, &TDirTreeView::OnChange);
  const QString inner = songs + QStringLiteral("/alpha/inner");
  rooted.SetDirectory(inner);
  ASSERT_EQ(reports.count(), 1);
  QTreeWidgetItem* node = rooted.selectedItems().value(0);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->data(0, TDirTreeView::PathRole).toString(), inner);
  EXPECT_EQ(node->parent()->parent()->text(0), QStringLiteral("Songs"));

  // The root keeps its separator; every other folder is reported without one.
  rooted.SetDirectory(QStringLiteral("/"));
  ASSERT_EQ(reports.count(), 2);
  EXPECT_EQ(reports[1][1].toString(), QStringLiteral("/"));
}

TEST_F(FolderTree, SortOrdersEveryLevelByName) {
  Place(0)->setExpanded(true);
  tree.SortAll();
  EXPECT_EQ(ChildTexts(Desktop()), (QStringList{QStringLiteral("Archive"), QStringLiteral("Songs")}));
  QTreeWidgetItem* songsNode = Place(1);
  EXPECT_EQ(songsNode->text(0), QStringLiteral("Songs"));
  EXPECT_EQ(ChildTexts(songsNode), (QStringList{QStringLiteral("alpha"), QStringLiteral("bravo"),
                                                QStringLiteral("charlie"), QStringLiteral("delta")}));
}

TEST_F(FolderTree, SortingKeepsTheSelectionAndReportsNothing) {
  tree.SetDirectory(archive);
  tree.SortAll();
  EXPECT_EQ(SelectedPath(), archive);
  EXPECT_EQ(changes.count(), 1);
}

TEST_F(FolderTree, RebuildListsAnewAndReportsTheCurrentFolderAgain) {
  const QString bravo = songs + QStringLiteral("/bravo");
  tree.SetDirectory(bravo);
  std::filesystem::create_directories(scratch / "songs" / "echo");
  tree.ReBuild();
  ASSERT_EQ(changes.count(), 2);
  EXPECT_EQ(changes[1][1].toString(), bravo);
  EXPECT_EQ(SelectedPath(), bravo);
  EXPECT_TRUE(ChildTexts(Place(0)).contains(QStringLiteral("echo")));
}

TEST_F(FolderTree, RebuildWhoseFolderVanishedReportsNothing) {
  tree.SetDirectory(songs + QStringLiteral("/delta"));
  std::filesystem::remove(scratch / "songs" / "delta");
  tree.ReBuild();
  EXPECT_EQ(changes.count(), 1);
  EXPECT_FALSE(tree.CurrentFolder().has_value());
}

TEST_F(FolderTree, AFolderThatCannotBeListedShowsNoChildrenAndSaysNothing) {
  // Tests run as root, which reads any folder; a place that is a file cannot be listed.
  TDirTreeView broken(nullptr, [this] {
    return std::vector<DesktopPlace>{{QStringLiteral("Notes"), songs + QStringLiteral("/notes.txt")}};
  });
  broken.Loaded();
  QTreeWidgetItem* notes = broken.topLevelItem(0)->child(0);
  notes->setExpanded(true);
  EXPECT_EQ(notes->childCount(), 0);
  EXPECT_EQ(notes->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

}  // namespace
}  // namespace tp
