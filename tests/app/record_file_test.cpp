#include "app/record_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "tests/support/prepared_dialog.h"

namespace fs = std::filesystem;

namespace {

std::int32_t ValueAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  std::int32_t v;
  std::memcpy(&v, bytes.data() + 4 * index, 4);
  return v;
}

RecordFile OneFolderOfThree() {
  RecordFile file;
  file.folders = {std::vector<PictureRecord>(3)};
  file.strip_offsets = {-2560};
  return file;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(RecordFileFormat, OneFolderOfThreePicturesIs1892BytesInItsFixedOrder) {
  RecordFile file = OneFolderOfThree();
  file.folders[0][1].angle = 90;
  file.folders[0][2].keys[49] = {7, -8, 2.5f};
  std::vector<std::uint8_t> bytes = FormatRecordFile(file);
  ASSERT_EQ(bytes.size(), 1892u);
  EXPECT_EQ(ValueAt(bytes, 0), 1);  // folders
  EXPECT_EQ(ValueAt(bytes, 1), 3);  // pictures of folder 0
  EXPECT_EQ(ValueAt(bytes, 2 + 156 + 1), 90);  // second record's angle
  float zoom;
  std::memcpy(&zoom, bytes.data() + 4 * (2 + 3), 4);
  EXPECT_FLOAT_EQ(zoom, 2.0f);  // first record's zoom target
  EXPECT_EQ(ValueAt(bytes, 2 + 2 * 156 + 6 + 49 * 3), 7);
  EXPECT_EQ(ValueAt(bytes, 2 + 2 * 156 + 6 + 49 * 3 + 1), -8);
  const std::size_t last = bytes.size() / 4 - 1;
  EXPECT_EQ(ValueAt(bytes, last - 2), 0);      // current folder
  EXPECT_EQ(ValueAt(bytes, last - 1), 255);    // saved brightness
  EXPECT_EQ(ValueAt(bytes, last), -2560);      // strip offset of folder 0
}

TEST(RecordFileFormat, ReadsBackWhatItWrote) {
  RecordFile file;
  file.folders = {std::vector<PictureRecord>(2), std::vector<PictureRecord>(1)};
  file.folders[1][0].recorded = 1;
  file.folders[1][0].key_count = 3;
  file.folders[1][0].steps = 4;
  file.current_folder = 1;
  file.brightness = 45;
  file.strip_offsets = {0, -1280};
  RecordLoad load = ParseRecordFile(FormatRecordFile(file), std::vector<int>{2, 1});
  ASSERT_TRUE(load.fits);
  EXPECT_EQ(load.contents.folders.size(), 2u);
  EXPECT_EQ(load.contents.folders[1][0].key_count, 3);
  EXPECT_EQ(load.contents.current_folder, 1);
  EXPECT_EQ(load.contents.brightness, 45);
  EXPECT_EQ(load.contents.strip_offsets[1], -1280);
}

TEST(RecordFileFormat, AChangedAlbumKeepsOnlyTheFoldersBeforeTheChange) {
  RecordFile file;
  file.folders = {std::vector<PictureRecord>(1), std::vector<PictureRecord>(2), std::vector<PictureRecord>(3)};
  file.strip_offsets = {0, 0, 0};
  auto bytes = FormatRecordFile(file);
  RecordLoad grown = ParseRecordFile(bytes, std::vector<int>{1, 2, 4});
  EXPECT_FALSE(grown.fits);
  EXPECT_EQ(grown.contents.folders.size(), 2u);
  RecordLoad more_folders = ParseRecordFile(bytes, std::vector<int>{1, 2, 3, 1});
  EXPECT_FALSE(more_folders.fits);
  EXPECT_TRUE(more_folders.contents.folders.empty());
}

TEST(RecordFileFormat, DamagedOrImpossibleValuesDoNotFit) {
  RecordFile good = OneFolderOfThree();
  auto bytes = FormatRecordFile(good);
  const std::vector<int> counts{3};
  EXPECT_TRUE(ParseRecordFile(bytes, counts).fits);
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{100}, bytes.size() - 1}) {
    std::vector<std::uint8_t> shorter(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(ParseRecordFile(shorter, counts).fits) << cut;
  }
  auto longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(ParseRecordFile(longer, counts).fits);

  auto with = [&](auto change) {
    RecordFile file = OneFolderOfThree();
    change(file);
    return ParseRecordFile(FormatRecordFile(file), counts).fits;
  };
  EXPECT_FALSE(with([](RecordFile& f) { f.current_folder = 1; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.current_folder = -1; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.brightness = 256; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].key_count = 51; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].key_count = -1; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][2].steps = 0; }));
  EXPECT_TRUE(with([](RecordFile& f) { f.folders[0][2].steps = kMaxPlaySteps; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][2].steps = kMaxPlaySteps + 1; }));
  EXPECT_TRUE(with([](RecordFile& f) { f.folders[0][2].key_count = 50; }));
  // Values the viewer would overflow or turn into nonsense with.
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].zoom_target = std::nanf(""); }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].zoom_target = -1.0f; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].keys[49].zoom = INFINITY; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][1].keys[3].x = -2147483647 - 1; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.folders[0][2].steps = 2147483647; }));
  EXPECT_FALSE(with([](RecordFile& f) { f.strip_offsets[0] = 2147483647; }));
  EXPECT_TRUE(with([](RecordFile& f) { f.strip_offsets[0] = -1920 * 2; }));

  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    std::vector<std::uint8_t> noise(random() % 4000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    ParseRecordFile(noise, counts);  // must not crash or read outside
  }
}

// Earlier builds stepped the angle table past a full turn; such a file fits, each angle read as the
// picture shows it.
TEST(RecordFileFormat, AnglesOfAnyNumberOfTurnsAreReadWithinOneTurn) {
  struct Case {
    std::int32_t stored;
    std::int32_t shown;
  };
  for (const Case c : {Case{370, 10}, {-730, -10}, {3600, 0}, {360, 0}, {-350, -350}, {2147483647, 127},
                       {-2147483647 - 1, -128}}) {
    RecordFile file = OneFolderOfThree();
    file.folders[0][1].angle = c.stored;
    RecordLoad load = ParseRecordFile(FormatRecordFile(file), std::vector<int>{3});
    ASSERT_TRUE(load.fits) << c.stored;
    EXPECT_EQ(load.contents.folders[0][1].angle, c.shown) << c.stored;
    EXPECT_EQ(load.contents.folders[0][0].angle, 0);
  }
}

TEST(RecordFileFormat, TheSizeOfAFittingFileFollowsFromTheCounts) {
  EXPECT_EQ(RecordFileBytes(std::vector<int>{3}), 1892u);
  EXPECT_EQ(RecordFileBytes(std::vector<int>{}), 12u);
  EXPECT_EQ(RecordFileBytes(std::vector<int>{2, 1}), 4u + (4 + 624 * 2) + (4 + 624) + 8 + 4 * 2);
  // Beyond 32 bits, without overflow.
  EXPECT_EQ(RecordFileBytes(std::vector<int>(4, 2147483647)), 4u + 4 * (4 + 624 * 2147483647ull) + 8 + 4 * 4);
  RecordFile file;
  file.folders = {std::vector<PictureRecord>(2), std::vector<PictureRecord>(0), std::vector<PictureRecord>(5)};
  EXPECT_EQ(FormatRecordFile(file).size(), RecordFileBytes(std::vector<int>{2, 0, 5}));
}

TEST(RecordFileName, DerivedFromTheAlbumFolder) {
  EXPECT_EQ(RecordNameFor("./album/"), "._album_");
  EXPECT_EQ(RecordNameFor("./my_album/"), "._myunderline6215album_");
  EXPECT_EQ(RecordNameFor("c:/x/"), "c__x_");
}

TEST(RecordFileStore, StartUpRestoresWhatExitSaved) {
  PreparedDialog dlg({3, 2});
  dlg->LoadRecordFile();  // no file yet
  EXPECT_EQ(dlg->m_album_changed, 0);
  dlg->m_angle_table.Set(1, 1, 30);
  dlg->m_key_x.Set(0, 2, 99, 17);
  dlg->m_folder = 1;
  dlg->m_brightness_saved = 135;
  dlg->m_strip_offset_by_folder[1] = -1280;
  dlg->StoreRecordFile();
  EXPECT_EQ(fs::file_size("album/._album_.txt"), 4u + (4 + 624 * 3) + (4 + 624 * 2) + 8 + 4 * 2);

  COrvaleDlg again;
  again.m_album_dir = "./album/";
  again.m_folder_count = 2;
  again.AllocateAlbumTables();
  again.LoadRecordFile();
  EXPECT_EQ(again.m_album_changed, 0);
  EXPECT_EQ(again.m_angle_table.Get(1, 1, 0), 30);
  EXPECT_EQ(again.m_key_x.Get(0, 2, 0, 17), 99);
  EXPECT_EQ(again.m_folder, 1);
  EXPECT_EQ(again.m_brightness_saved, 135);
  EXPECT_EQ(again.m_strip_offset_by_folder[1], -1280);
}

TEST(RecordFileStore, AFileThatDoesNotFitIsDeletedAndItsFittingFoldersKept) {
  PreparedDialog dlg({1, 1, 1});
  dlg->m_angle_table.Set(0, 0, 10);
  dlg->m_angle_table.Set(2, 0, 20);
  dlg->StoreRecordFile();
  WriteTinyBitmap("album/2/1.bmp");  // folder 2 gained a picture

  COrvaleDlg again;
  again.m_album_dir = "./album/";
  again.m_folder_count = 3;
  again.AllocateAlbumTables();
  again.LoadRecordFile();
  EXPECT_EQ(again.m_album_changed, 1);
  EXPECT_FALSE(fs::exists("album/._album_.txt"));
  EXPECT_EQ(again.m_angle_table.Get(0, 0, -1), 10);
  EXPECT_EQ(again.m_angle_table.Get(2, 0, -1), 0);

  std::ofstream("album/._album_.txt", std::ios::binary) << "short";
  again.LoadRecordFile();
  EXPECT_EQ(again.m_album_changed, 1);
  EXPECT_FALSE(fs::exists("album/._album_.txt"));
}

// A picture turned 37 times one way (370 degrees in the file of an earlier build) keeps the file:
// nothing is deleted, and the picture comes back turned by 10 degrees.
TEST(RecordFileStore, AnAngleBeyondAFullTurnKeepsTheFile) {
  PreparedDialog dlg({2});
  RecordFile file;
  file.folders = {std::vector<PictureRecord>(2)};
  file.folders[0][1].angle = 370;
  file.folders[0][1].key_count = 4;
  file.brightness = 105;
  file.strip_offsets = {-1280};
  ASSERT_TRUE(WriteFileSafely("album/._album_.txt", FormatRecordFile(file)));
  dlg->LoadRecordFile();
  EXPECT_EQ(dlg->m_album_changed, 0);
  EXPECT_TRUE(fs::exists("album/._album_.txt"));
  EXPECT_EQ(dlg->m_angle_table.Get(0, 1, -1), 10);
  EXPECT_EQ(dlg->m_key_count_table.Get(0, 1, -1), 4);
  EXPECT_EQ(dlg->m_brightness_saved, 105);
  EXPECT_EQ(dlg->m_strip_offset_by_folder[0], -1280);
}

// The file is read no further than a fitting file could reach: a file grown past a gigabyte
// (sparse, so it costs no disk) with its records in front still gives them back, then goes.
TEST(RecordFileStore, AFileLongerThanAnyFittingOneStillGivesBackTheFoldersThatFit) {
  PreparedDialog dlg({1, 1});
  dlg->m_angle_table.Set(0, 0, 30);
  dlg->m_angle_table.Set(1, 0, -20);
  dlg->StoreRecordFile();
  const std::uintmax_t huge = (std::uintmax_t{1} << 30) + 4096;
  fs::resize_file("album/._album_.txt", huge);
  ASSERT_EQ(fs::file_size("album/._album_.txt"), huge);

  COrvaleDlg again;
  again.m_album_dir = "./album/";
  again.m_folder_count = 2;
  again.AllocateAlbumTables();
  again.LoadRecordFile();
  EXPECT_EQ(again.m_album_changed, 1);
  EXPECT_FALSE(fs::exists("album/._album_.txt"));
  EXPECT_EQ(again.m_angle_table.Get(0, 0, -1), 30);
  EXPECT_EQ(again.m_angle_table.Get(1, 0, -1), -20);
}

TEST(RecordFileStore, ARecordFileOfRandomBytesIsDeletedAndTheDefaultsStay) {
  PreparedDialog dlg({2, 1});
  const std::size_t size = 4 + (4 + 624 * 2) + (4 + 624) + 8 + 4 * 2;
  std::mt19937 random(23);
  for (bool fitting_counts : {false, true}) {
    std::vector<std::uint8_t> noise(size);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    if (fitting_counts) {  // the right folder and picture counts in front of random records
      const std::int32_t counts[] = {2, 2};
      std::memcpy(noise.data(), counts, sizeof counts);
    }
    std::ofstream("album/._album_.txt", std::ios::binary)
        .write(reinterpret_cast<const char*>(noise.data()), static_cast<std::streamsize>(noise.size()));
    dlg->LoadRecordFile();
    EXPECT_EQ(dlg->m_album_changed, 1) << fitting_counts;
    EXPECT_FALSE(fs::exists("album/._album_.txt")) << fitting_counts;
    for (int folder = 0; folder < 2; ++folder) {
      for (int picture = 0; picture < 2 - folder; ++picture) {
        EXPECT_EQ(dlg->m_angle_table.Get(folder, picture, -1), 0);
        EXPECT_EQ(dlg->m_key_count_table.Get(folder, picture, -1), 0);
        EXPECT_EQ(dlg->m_steps_table.Get(folder, picture, -1), 10);
        EXPECT_FLOAT_EQ(dlg->m_zoom_table.Get(folder, picture, 0), 2.0f);
        EXPECT_EQ(dlg->m_key_x.Get(folder, picture, -1, 49), 0);
      }
    }
    EXPECT_EQ(dlg->m_folder, 0);
    EXPECT_EQ(dlg->m_brightness_saved, 255);
    EXPECT_EQ(dlg->m_strip_offset_by_folder[1], 0);
  }
  // The next exit writes a whole file again.
  dlg->StoreRecordFile();
  EXPECT_EQ(fs::file_size("album/._album_.txt"), size);
}

TEST(RecordFileStore, AFailedWriteKeepsThePreviousFile) {
  PreparedDialog dlg({1});
  dlg->StoreRecordFile();
  std::vector<std::uint8_t> before = ReadFile("album/._album_.txt");
  // A directory where the new file would go makes the write fail.
  fs::create_directory("album/._album_.txt.new");
  dlg->m_brightness_saved = 15;
  dlg->StoreRecordFile();
  EXPECT_EQ(ReadFile("album/._album_.txt"), before);
  EXPECT_FALSE(WriteFileSafely("no-such-folder/file", before));
}
