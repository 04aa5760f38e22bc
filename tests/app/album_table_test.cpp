#include "app/album_table.h"

#include <gtest/gtest.h>

TEST(AlbumTable, EveryEntryStartsAtItsDefaultAndFoldersKeepTheirOwnLength) {
  AlbumTable<float> zoom;
  zoom.Allocate({3, 0, 2}, 1, 2.0f);
  EXPECT_EQ(zoom.FolderCount(), 3);
  EXPECT_EQ(zoom.PictureCount(0), 3);
  EXPECT_EQ(zoom.PictureCount(1), 0);
  EXPECT_EQ(zoom.PictureCount(2), 2);
  for (int p = 0; p < 3; ++p) EXPECT_FLOAT_EQ(zoom.Get(0, p, -1.0f), 2.0f);
  zoom.Set(2, 1, 3.5f);
  EXPECT_FLOAT_EQ(zoom.Get(2, 1, -1.0f), 3.5f);
  EXPECT_FLOAT_EQ(zoom.Get(2, 0, -1.0f), 2.0f);
  EXPECT_FLOAT_EQ(zoom.Get(0, 2, -1.0f), 2.0f);  // folders do not overlap
}

TEST(AlbumTable, IndexesOutsideTheTableNeverReachIt) {
  AlbumTable<int> angle;
  angle.Allocate({2}, 1, 0);
  for (auto [folder, picture] : {std::pair{0, 2}, {0, -1}, {1, 0}, {-1, 0}, {1500, 0}}) {
    EXPECT_EQ(angle.Find(folder, picture), nullptr) << folder << "/" << picture;
    EXPECT_EQ(angle.Get(folder, picture, 77), 77);
    angle.Set(folder, picture, 5);  // ignored
  }
  EXPECT_EQ(angle.Get(0, 0, -1), 0);
  EXPECT_EQ(angle.Get(0, 1, -1), 0);
}

TEST(AlbumTable, KeyFrameSlotsArePerPicture) {
  AlbumTable<int> key_x;
  key_x.Allocate({2, 1}, 50, 0);
  key_x.Set(0, 1, 11, 49);
  key_x.Set(1, 0, 22, 0);
  EXPECT_EQ(key_x.Get(0, 1, -1, 49), 11);
  EXPECT_EQ(key_x.Get(0, 1, -1, 48), 0);
  EXPECT_EQ(key_x.Get(1, 0, -1, 0), 22);
  EXPECT_EQ(key_x.Find(0, 0, 50), nullptr);
  EXPECT_EQ(key_x.Find(0, 0, -1), nullptr);
}

TEST(AlbumTable, EmptyOrReleasedTableHoldsNothing) {
  AlbumTable<int> table;
  EXPECT_EQ(table.FolderCount(), 0);
  EXPECT_EQ(table.Find(0, 0), nullptr);
  table.Allocate({}, 1, 0);
  EXPECT_EQ(table.FolderCount(), 0);
  table.Allocate({4}, 1, 9);
  table.Release();
  EXPECT_EQ(table.Get(0, 0, -1), -1);
}
