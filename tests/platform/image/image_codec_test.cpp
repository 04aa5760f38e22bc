// The image codec's SDL2_image fallback: what SDL keeps per thread (its error message among it)
// is freed when a thread SDL did not start ends, so decoding bad files on helper threads leaves
// no memory behind for each of them; only formats whose header gives the size are decoded.
#include <SDL2/SDL_thread.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/image/image_codec.h"

namespace {

namespace fs = std::filesystem;

std::atomic<int> g_freed{0};

void CountFreed(void*) { g_freed.fetch_add(1); }

class SdlImageFallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::temp_directory_path() /
               ("quenmira-codec-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  // A GIF declaring 1 x 1 pixels that ends inside its screen descriptor: SDL2_image takes it up
  // and fails on it, setting SDL's error.
  std::string BadGif() const { return Write("bad.gif", std::string("GIF89a\x01\x00\x01\x00", 10)); }

  std::string Write(const std::string& name, const std::string& content) const {
    const fs::path path = m_folder / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  fs::path m_folder;
};

TEST_F(SdlImageFallbackTest, AThreadThatDecodedABadFileThroughSdlFreesSdlsThreadDataWhenItEnds) {
  const std::string path = BadGif();
  const SDL_TLSID id = SDL_TLSCreate();
  ASSERT_NE(id, 0u);
  g_freed = 0;
  bool decoded = true;
  std::thread thread([&] {
    // A value of the test's own beside SDL's error message: freed with it, counted.
    static int marker = 0;
    SDL_TLSSet(id, &marker, CountFreed);
    decoded = DecodePictureFile(path).picture.has_value();
  });
  thread.join();
  EXPECT_FALSE(decoded);
  EXPECT_EQ(g_freed.load(), 1);
}

TEST_F(SdlImageFallbackTest, AFormatWhoseHeaderGivesNoSizeIsNotDecoded) {
  // A small, valid vector drawing: SDL2_image would draw it.
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"3\">"
      "<rect width=\"4\" height=\"3\" fill=\"red\"/></svg>";
  EXPECT_FALSE(DecodePictureFile(Write("drawing.jpg", svg)).picture.has_value());
  EXPECT_FALSE(DecodePictureFile(Write("drawing.svg", svg)).picture.has_value());
  // A GIMP file whose header makes SDL2_image ask for petabytes before it reads anything else.
  const unsigned char xcf[] = {0x67, 0x69, 0x6D, 0x70, 0x20, 0x78, 0x63, 0x66, 0x20, 0xFF,
                               0x0D, 0x1A, 0x52, 0x00, 0x0D, 0x3C, 0x76, 0x67, 0x52};
  EXPECT_FALSE(
      DecodePictureFile(Write("layers.jpg", std::string(reinterpret_cast<const char*>(xcf), sizeof xcf))).picture.has_value());
}

TEST_F(SdlImageFallbackTest, APngIsStillDecodedThroughSdlImage) {
  // 2 x 1 RGB PNG: red, blue.
  const unsigned char png[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7B, 0x40, 0xE8, 0xDD, 0x00, 0x00, 0x00,
      0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0x00, 0x04, 0xFF, 0x01, 0x07, 0x00, 0x01, 0xFF,
      0xE2, 0x23, 0x9E, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  const std::optional<DecodedPicture> picture =
      DecodePictureFile(Write("pixels.jpg", std::string(reinterpret_cast<const char*>(png), sizeof png))).picture;
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width, 2);
  EXPECT_EQ(picture->height, 1);
  EXPECT_EQ(picture->pixels, (std::vector<Pixel>{0xFF0000u, 0x0000FFu}));
}

}  // namespace
