// libFuzzer target: the import of one file. The bytes are written as 0/photo.jpg in a fresh
// album and the import pass runs over it with no window; the codec decodes by content, so every
// decoder (JPEG, PNG, GIF, TIFF, WebP, HEIF, BMP) is reached through this one name.
//
// Checked afterwards: when the codec decodes the same bytes (read from a copy elsewhere), the
// JPEG is gone and the folder holds exactly photo.bmp, a complete 24-bit bitmap whose size is
// the one its header gives and whose pixels are the decoded ones; otherwise the folder holds
// exactly photo.jpg with its bytes unchanged. Nothing else appears anywhere in the album (no
// temporary file is left behind), and the pass counts what it did accordingly. JPEG content that
// plain libjpeg decodes only with a warning of damaged data (or not at all) must be left alone.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "album/bitmap_writer.h"
#include "album/picture_import.h"
#include "platform/gdi/bitmap_file.h"
#include "platform/image/image_codec.h"
#include "platform/image/picture_header.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"
#include "fuzz/fuzz_work_folder.h"
#include "tests/support/plain_libjpeg.h"

namespace fs = std::filesystem;

namespace {

// Larger declared sizes are skipped: decoding them takes seconds and memory without reaching
// other code (the size limits themselves are unit-tested).
constexpr std::int64_t kMaxFuzzedPixels = std::int64_t{1} << 22;

[[noreturn]] void Fail(const char* what, const std::string& detail) { FuzzFail("jpeg_import_fuzz", what, detail); }

const std::string& WorkFolder() { return FuzzWorkFolder("quenmira-import-fuzz"); }

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) Fail("cannot write a file", path.string());
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
  return names;
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

// The bitmap must be whole: its header's file size and dimensions give exactly its length, and
// it decodes to the picture the codec gave.
void CheckBitmap(const fs::path& path, const DecodedPicture& expected) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  const std::string where = path.string() + ", " + std::to_string(bytes.size()) + " bytes";
  if (bytes.size() < kBitmapHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') Fail("no bitmap header", where);
  if (static_cast<std::uint32_t>(Int32At(bytes, 2)) != bytes.size()) Fail("declared file size differs", where);
  const int width = Int32At(bytes, 18);
  const int height = Int32At(bytes, 22);
  if (width != expected.width || height != expected.height) Fail("bitmap dimensions differ", where);
  if (BitmapFileBytes(width, height) != bytes.size()) Fail("length is not the header's", where);
  const std::optional<DecodedPicture> read = DecodeBitmapFile(bytes);
  if (!read) Fail("the bitmap does not decode", where);
  if (read->width != width || read->height != height || read->pixels != expected.pixels) {
    Fail("the bitmap's pixels are not the decoded picture's", where);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // "wrong param" for an undecodable file would otherwise be kept in memory for every input.
  SetMessageBoxHandler([](std::string_view, std::string_view, UINT) { return IDOK; });
  // WebP and HEIF sizes are read by their decoders, not beforehand: keep them small here too.
  SetMaxDecodedPixelsForTesting(kMaxFuzzedPixels);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const std::optional<DeclaredSize> declared = DeclaredPictureSize(bytes)) {
    const std::int64_t w = declared->width;  // up to 2^32 each: compared one by one first
    const std::int64_t h = declared->height;
    if (w > kMaxFuzzedPixels || h > kMaxFuzzedPixels || w * h > kMaxFuzzedPixels) return 0;
  }
  const fs::path work = WorkFolder();
  const fs::path album = work / "album";
  const fs::path folder = album / "0";
  std::error_code ec;
  fs::remove_all(album, ec);
  fs::create_directories(folder, ec);
  if (ec) Fail("cannot make the album folder", folder.string());

  // What the codec makes of the bytes, from a copy outside the album.
  const fs::path copy = work / "copy.jpg";
  WriteBytes(copy, bytes);
  const std::optional<DecodedPicture> expected = DecodePictureFile(copy.string()).picture;
  fs::remove(copy, ec);
  if (expected && FormatOf(bytes) == PictureFormat::kJpeg && PlainLibjpegDecode(bytes) != PlainLibjpegVerdict::kClean) {
    Fail("a JPEG libjpeg warns about was decoded", std::to_string(size) + " bytes");
  }

  WriteBytes(folder / "photo.jpg", bytes);
  SilentImport silent;
  const ImportResult result = ImportPictures(album.string() + "/", silent);

  if (!result.root_listed || result.found != 1) Fail("the file was not found", std::to_string(result.found));
  if (Names(album) != std::vector<std::string>{"0"}) Fail("something appeared in the album root", album.string());
  const std::vector<std::string> names = Names(folder);
  if (expected) {
    if (result.converted != 1 || result.failed != 0) Fail("a decodable file was not converted", "");
    if (names != std::vector<std::string>{"photo.bmp"}) Fail("the folder holds more or less than photo.bmp", "");
    CheckBitmap(folder / "photo.bmp", *expected);
  } else {
    if (result.converted != 0 || result.failed != 1) Fail("an undecodable file counted as converted", "");
    if (names != std::vector<std::string>{"photo.jpg"}) Fail("the folder holds more or less than photo.jpg", "");
    const std::vector<std::uint8_t> after = ReadBytes(folder / "photo.jpg");
    if (!std::equal(after.begin(), after.end(), bytes.begin(), bytes.end())) Fail("the JPEG's bytes changed", "");
  }
  return 0;
}
