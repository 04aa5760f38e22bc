#include "tests/support/frame_rig.h"

#include <fstream>

#include "album/album_paths.h"
#include "platform/window/client_surface.h"
#include "platform/window/window_system.h"

namespace fs = std::filesystem;

namespace frame_test {

namespace {

void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> PatternBytes(int width, int height, const std::function<Pixel(int, int)>& pattern) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t pixels = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> file(54 + pixels, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(54 + pixels));
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, static_cast<std::uint32_t>(width));
  Put32(file, 22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  Put32(file, 34, static_cast<std::uint32_t>(pixels));
  // Rows bottom to top, blue-green-red.
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = file.data() + 54 + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const Pixel p = pattern(x, y);
      row[3 * x] = static_cast<std::uint8_t>(p);
      row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  return file;
}

}  // namespace

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WritePatternBitmap(const fs::path& path, int width, int height, const std::function<Pixel(int, int)>& pattern) {
  WriteBytes(path, PatternBytes(width, height, pattern));
}

void WriteSolidBitmap(const fs::path& path, int width, int height, Pixel color) {
  WriteBytes(path, SolidBitmapBytes(width, height, color));
}

std::vector<std::uint8_t> SolidBitmapBytes(int width, int height, Pixel color) {
  return PatternBytes(width, height, [color](int, int) { return color; });
}

Pixel OverBlack(Pixel pixel, int alpha) {
  Pixel out = 0;
  for (int shift : {0, 8, 16}) {
    const int c = static_cast<int>((pixel >> shift) & 0xFF);
    out |= static_cast<Pixel>((c * alpha + 127) / 255) << shift;
  }
  return out;
}

FixedTicks::FixedTicks(DWORD now) : m_now(now) { InstallTickSource(this); }
FixedTicks::~FixedTicks() { InstallTickSource(nullptr); }

std::tm FixedLocalTime() {
  std::tm local{};
  local.tm_year = 124;
  local.tm_mon = 11;
  local.tm_mday = 8;
  local.tm_hour = 14;
  local.tm_min = 5;
  return local;
}

int Shot::Count(int left, int top, int right, int bottom, Pixel color) const {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += At(x, y) == color ? 1 : 0;
  }
  return count;
}

bool Shot::All(int left, int top, int right, int bottom, Pixel color) const {
  return Count(left, top, right, bottom, color) == (right - left) * (bottom - top);
}

FrameRig::FrameRig(int width, int height) : session(width, height) {}

FrameRig::~FrameRig() {
  dlg.m_renderer.Release();
  dlg.ReleaseAlbumTables();
}

fs::path FrameRig::Picture(int folder, int picture) { return PicturePath(kAlbumDir, folder, picture); }

void FrameRig::SolidFolder(int folder, const std::vector<Pixel>& colors, int width, int height) {
  for (std::size_t p = 0; p < colors.size(); ++p) WriteSolidBitmap(Picture(folder, static_cast<int>(p)), width, height, colors[p]);
}

void FrameRig::Start() {
  session.OpenWindow();
  dlg.m_album_dir = kAlbumDir;
  dlg.ReadScreenSize();
  dlg.m_folder_count = dlg.CountUsableFolders();
  dlg.AllocateAlbumTables();
  dlg.ResetAlbumFields();
  dlg.CreateEvents();
  dlg.m_renderer.SetClock(&FixedLocalTime);
}

void FrameRig::Render() {
  // 0.995f + 0.005 rounds to exactly 1.0f.
  if (hold_breath) dlg.m_breath = 0.995f;
  dlg.RenderFrame();
}

void FrameRig::DriverStep() {
  if (hold_breath) dlg.m_breath = 0.995f;
  dlg.RenderDriverStep();
}

Shot FrameRig::Read() const {
  Shot shot;
  window_system::Surface()->Read([&](const PixelBuffer& pixels) {
    shot.width = pixels.width;
    shot.height = pixels.height;
    shot.pixels.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y) {
      for (int x = 0; x < pixels.width; ++x) shot.pixels[static_cast<std::size_t>(y) * pixels.width + x] = pixels.Row(y)[x] & 0xFFFFFFu;
    }
  });
  return shot;
}

}  // namespace frame_test
