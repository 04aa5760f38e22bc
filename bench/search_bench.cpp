// Search-frame benchmark: whole search screens through SearchScreen::Frame on a headless window
// over a prepared album, with the pointer resting, hovering a tick, or sliding to a new folder
// every frame, and a full-frame memcpy measured in the same run as the yardstick. Prints
// min/median/max wall-clock milliseconds and the median of the thread's CPU time.
//
// Usage: search_bench [--frames=N] [--sizes=1080,2160] [--cases=rest,tick,pages,slide]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "album/album_paths.h"
#include "app/orvale_dlg.h"
#include "interaction/search_bars.h"
#include "platform/window/window_dc.h"
#include "platform/window/window_system.h"
#include "render/mem_dc.h"
#include "render/transformed_blit.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Stats {
  double min = 0, median = 0, max = 0;
  double cpu_median = 0;
};

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <class Body>
Stats Time(int warmup, int runs, Body body) {
  for (int i = 0; i < warmup; ++i) body(i);
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    const double cpu_start = ThreadCpuMs();
    const auto start = Clock::now();
    body(warmup + i);
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    cpu.push_back(ThreadCpuMs() - cpu_start);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  Stats s;
  s.min = wall.front();
  s.median = wall[wall.size() / 2];
  s.max = wall.back();
  s.cpu_median = cpu[cpu.size() / 2];
  return s;
}

// A 24-bit bottom-up bitmap file with a gradient and noise.
void WritePicture(const fs::path& path, int width, int height, std::uint32_t seed) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t bytes = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> file(54 + bytes, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(54 + bytes));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  put32(34, static_cast<std::uint32_t>(bytes));
  std::uint32_t noise = seed;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = file.data() + 54 + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[3 * x + 0] = static_cast<std::uint8_t>(x * 255 / width + (noise >> 28));
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / height + (noise >> 24 & 15));
      row[3 * x + 2] = static_cast<std::uint8_t>((x + y) + (noise >> 20 & 15));
    }
  }
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
}

constexpr int kFolders = 12;
constexpr int kPicturesInFolder0 = 120;

struct Options {
  int frames = 200;
  std::vector<int> heights{1080};
  std::string cases = "rest,tick,pages,slide";
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--frames=", 0) == 0) {
      o.frames = std::max(1, std::atoi(a.c_str() + 9));
    } else if (a.rfind("--sizes=", 0) == 0) {
      o.heights.clear();
      std::string list = a.substr(8);
      for (std::size_t at = 0; at < list.size();) {
        std::size_t comma = list.find(',', at);
        if (comma == std::string::npos) comma = list.size();
        o.heights.push_back(std::atoi(list.substr(at, comma - at).c_str()));
        at = comma + 1;
      }
    } else if (a.rfind("--cases=", 0) == 0) {
      o.cases = a.substr(8);
    } else {
      std::fprintf(stderr, "usage: %s [--frames=N] [--sizes=1080,2160] [--cases=rest,tick,pages,slide]\n", argv[0]);
      std::exit(2);
    }
  }
  return o;
}

void Print(const char* name, const Stats& s, double copy_median) {
  std::printf("%-44s %8.3f %8.3f %8.3f   cpu %8.3f   x memcpy %5.2f\n", name, s.min, s.median, s.max, s.cpu_median,
              s.median / copy_median);
}

void RunSize(const Options& o, int height) {
  const int width = height * 16 / 9;
  HeadlessSession session(width, height);
  // Every folder's first picture is a distinct 1440 x 900 file; folder 0 holds 120 entries, the
  // rest hard links to its first picture (the bar counts entries, the preview reads one file).
  for (int f = 0; f < kFolders; ++f) WritePicture(PicturePath(kAlbumDir, f, 0), 1440, 900, 12345u + f);
  for (int p = 1; p < kPicturesInFolder0; ++p) {
    fs::create_hard_link(PicturePath(kAlbumDir, 0, 0), PicturePath(kAlbumDir, 0, p));
  }
  session.OpenWindow();

  COrvaleDlg dlg;
  dlg.m_album_dir = kAlbumDir;
  dlg.ReadScreenSize();
  dlg.m_folder_count = dlg.CountUsableFolders();
  dlg.AllocateAlbumTables();
  dlg.ResetAlbumFields();
  dlg.CreateEvents();
  dlg.m_render_paused = 1;
  dlg.m_search_paused = 0;

  const SearchLayout layout = SearchLayoutFor(width, height);
  SearchScreen screen;
  auto seed = [&] {
    dlg.m_folder_page = 0;
    dlg.m_picture_page = 0;
    dlg.m_search_folder = 0;
    dlg.m_search_picture = 0;
    dlg.m_search_pick = 1;
    dlg.m_folder_count = kFolders;
  };
  auto point = [](POINT p) { SetCursorPos(p.x, p.y); };

  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<Pixel> from(pixels, 0x00123456), to(pixels, 0);
  Stats copy = Time(5, 101, [&](int) {
    std::memcpy(to.data(), from.data(), pixels * sizeof(Pixel));
    from[0] ^= to[pixels / 2];
  });
  std::printf("\n%dx%d, %d frames a case; times in ms: min median max\n", width, height, o.frames);
  Print("memcpy of one frame (yardstick)", copy, copy.median);
  const int initial_objects = GdiLiveObjectCount();

  auto wanted = [&](const char* name) { return o.cases.find(name) != std::string::npos; };
  if (wanted("rest")) {
    seed();
    point({layout.half_w + 330, layout.half_h + 100});
    Print("rest: preview of a 1440x900 picture, cached", Time(5, o.frames, [&](int) { screen.Frame(dlg); }),
          copy.median);
  }
  if (wanted("tick")) {
    seed();
    const POINT snap = TickSnapPoint(layout, SearchBar::kFolder, 5);
    Print("tick: on folder tick 5, snapped, preview cached", Time(5, o.frames, [&](int) {
            point(snap);
            screen.Frame(dlg);
          }),
          copy.median);
  }
  if (wanted("pages")) {
    // A full page on both bars: 100 folder ticks (a count beyond the folders on disk; their
    // previews are not requested) and 100 of folder 0's 120 pictures, picture 50 selected.
    seed();
    dlg.m_folder_count = 1000;
    dlg.m_search_picture = 50;
    point({layout.half_w + 330, layout.half_h + 100});
    Print("pages: 100 + 100 ticks, preview cached", Time(5, o.frames, [&](int) { screen.Frame(dlg); }), copy.median);
  }
  if (wanted("slide")) {
    // Each frame hovers the next folder's tick: a 1440x900 file read and decoded every frame.
    seed();
    Print("slide: new folder every frame, preview decoded", Time(kFolders, o.frames, [&](int i) {
            point(TickSnapPoint(layout, SearchBar::kFolder, 1 + i % kFolders));
            screen.Frame(dlg);
          }),
          copy.median);
  }

  // Where a frame's time goes: the pieces alone.
  {
    seed();
    HDC window = GetDC(&dlg);
    RECT client;
    dlg.GetClientRect(&client);
    HBITMAP buffer_bitmap = CreateCompatibleBitmap(window, client.right, client.bottom);
    Print("  part: buffer copied to the window", Time(5, o.frames, [&](int) {
            CMemDC buffer(window, &client, buffer_bitmap, CMemDC::Start::kCoveredByCaller);
          }),
          copy.median);
    HDC memory = CreateCompatibleDC(window);
    HGDIOBJ previous = SelectObject(memory, buffer_bitmap);
    point({layout.half_w + 330, layout.half_h + 100});
    Print("  part: folder bar, whole background filled", Time(5, o.frames, [&](int) { screen.FolderBar(memory, dlg); }),
          copy.median);
    Print("  part: picture bar (counts folder 0)", Time(5, o.frames, [&](int) { screen.PictureBar(memory, dlg); }),
          copy.median);
    Print("  part: preview, cached", Time(5, o.frames, [&](int) { screen.Preview(dlg, memory, 0, 0); }), copy.median);
    Print("  part: menu sight", Time(5, o.frames, [&](int) { DrawMenuPointer(dlg, memory); }), copy.median);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(buffer_bitmap);
    ReleaseDC(&dlg, window);
  }
  screen.Release();
  std::printf("drawing objects left after the run: %d\n", GdiLiveObjectCount() - initial_objects);
  dlg.ReleaseAlbumTables();
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  for (int height : o.heights) RunSize(o, height);
  return 0;
}
