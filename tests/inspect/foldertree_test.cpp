// The browser's folder tree on a real tree: folders only, read when opened, no hidden
// folders, no links; a hidden folder asked for is added, a path through a link is not.
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/testing.h"
#include "inspect/foldertree.h"

using namespace roomvale;
using roomvale::testing::TempTree;

namespace {

QStringList childNames(FolderTreeModel& m, const QModelIndex& parent) {
  if (m.canFetchMore(parent)) m.fetchNow(parent);
  QStringList names;
  for (int r = 0; r < m.rowCount(parent); ++r) names << m.index(r, 0, parent).data().toString();
  return names;
}

}  // namespace

TEST(FolderTreeTest, ListsRealFoldersLazilyAndReachesNothingThroughLinks) {
  TempTree t;
  t.dir("b/deep");
  t.dir("A");
  t.dir(".hidden/inner");
  t.file("file.txt");
  ASSERT_EQ(::symlink((t / "b").c_str(), (t / "link").c_str()), 0);
  FolderTreeModel m;
  roomvale::testing::ModelContract contract(&m);
  m.setRoot(t.path());
  const QModelIndex root = m.index(0, 0);
  EXPECT_EQ(m.pathOf(root), t.path());
  EXPECT_TRUE(m.hasChildren(root));
  EXPECT_EQ(m.rowCount(root), 0);  // nothing read before the folder is opened
  // A view's request is answered at the next turn of the event loop.
  m.fetchMore(root);
  EXPECT_EQ(m.rowCount(root), 0);
  EXPECT_TRUE(roomvale::testing::waitFor([&] { return m.rowCount(root) == 2; }));
  EXPECT_EQ(childNames(m, root), (QStringList{"A", "b"}));
  const QModelIndex a = m.index(0, 0, root);
  EXPECT_EQ(childNames(m, a), QStringList{});
  EXPECT_FALSE(m.hasChildren(a));

  // Asked for by path: a listed folder, a hidden one (added in its place), one through a
  // link, one outside the root.
  const QModelIndex deep = m.indexOf(t / "b/deep");
  ASSERT_TRUE(deep.isValid());
  EXPECT_EQ(m.pathOf(deep), t / "b/deep");
  const QModelIndex inner = m.indexOf(t / ".hidden/inner");
  ASSERT_TRUE(inner.isValid());
  EXPECT_EQ(childNames(m, root), (QStringList{".hidden", "A", "b"}));
  EXPECT_FALSE(m.indexOf(t / "link/deep").isValid());
  EXPECT_FALSE(m.indexOf(t / "file.txt").isValid());
  EXPECT_FALSE(m.indexOf("/elsewhere").isValid());

  // Read again after a change on disk.
  ASSERT_EQ(::rmdir((t / "b/deep").c_str()), 0);
  const QModelIndex b = m.indexOf(t / "b");
  m.refresh(b);
  EXPECT_EQ(m.rowCount(b), 0);
}
