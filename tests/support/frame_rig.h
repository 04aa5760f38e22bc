// Frame tests: albums of generated pictures and a headless viewer whose frames are rendered on
// the test thread (no worker threads), with the breathing, the tick count and the clock pinned.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/orvale_dlg.h"
#include "platform/gdi/pixel_buffer.h"
#include "platform/kernel/time.h"
#include "tests/support/headless_session.h"

namespace frame_test {

// Writes a 24-bit bottom-up bitmap file of w x h whose pixel (x, y), y from the top, is
// `pattern(x, y)` as 0xRRGGBB.
void WritePatternBitmap(const std::filesystem::path& path, int width, int height,
                        const std::function<Pixel(int, int)>& pattern);
void WriteSolidBitmap(const std::filesystem::path& path, int width, int height, Pixel color);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The bytes of a valid 24-bit bitmap file of a solid colour (a start for corrupt variants).
std::vector<std::uint8_t> SolidBitmapBytes(int width, int height, Pixel color);

// Each channel of `pixel` blended at `alpha` over black, as the desktop API rounds it.
Pixel OverBlack(Pixel pixel, int alpha);

// GetTickCount pinned to a value the test sets; installed for the object's lifetime.
class FixedTicks final : public TickSource {
 public:
  explicit FixedTicks(DWORD now);
  ~FixedTicks() override;
  FixedTicks(const FixedTicks&) = delete;
  FixedTicks& operator=(const FixedTicks&) = delete;
  DWORD Now() const override { return m_now.load(); }
  void Set(DWORD now) { m_now.store(now); }
  void Advance(DWORD ms) { m_now.fetch_add(ms); }

 private:
  std::atomic<DWORD> m_now;
};

// The local time the rig's renderer shows: 8 December, 14:05.
std::tm FixedLocalTime();

// A copy of the window's pixels.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;

  Pixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // Pixels equal to `color` in [left, right) x [top, bottom).
  int Count(int left, int top, int right, int bottom, Pixel color) const;
  // True when every pixel of the rectangle is `color`.
  bool All(int left, int top, int right, int bottom, Pixel color) const;
};

// A headless window of the chosen size, a temporary working folder with an album under
// ./album/, and a dialog prepared as start-up prepares it, minus the threads.
class FrameRig {
 public:
  explicit FrameRig(int width = 1280, int height = 800);
  ~FrameRig();
  FrameRig(const FrameRig&) = delete;
  FrameRig& operator=(const FrameRig&) = delete;

  static std::filesystem::path Picture(int folder, int picture);
  // Folder `folder` with one solid picture per colour, each width x height.
  static void SolidFolder(int folder, const std::vector<Pixel>& colors, int width, int height);

  // Opens the window, counts the album, sizes the tables, makes the events; call once the
  // album is written.
  void Start();
  // One frame on the test thread; with the breath held, its breathing step lands on 1.0.
  void Render();
  // One render-thread pass (search jump, folder step, frame, rate).
  void DriverStep();
  // The window's pixels now.
  Shot Read() const;

  bool hold_breath = true;
  HeadlessSession session;
  FixedTicks ticks{1'000'000};
  COrvaleDlg dlg;
};

}  // namespace frame_test
