// Frame-time benchmark: whole frames through RenderDriverStep on a headless window over a
// prepared album, the picture composition alone with the same draws, and a full-frame memcpy
// measured in the same run as the yardstick. Prints min/median/max and ratios to memcpy.
//
// Usage: render_bench [--frames=N] [--sizes=1080,2160] [--cases=strip,zoom,turned]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "album/album_paths.h"
#include "album/census.h"
#include "app/orvale_dlg.h"
#include "platform/window/client_surface.h"
#include "platform/window/window_system.h"
#include "platform/kernel/time.h"
#include "platform/window/window_dc.h"
#include "render/compose.h"
#include "render/mem_dc.h"
#include "render/motion_model.h"
#include "render/overlays.h"
#include "render/picture_files.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Wall-clock milliseconds, and the median of the thread's CPU time: on a busy machine the
// wall clock also counts the time other processes held the core, the CPU time does not.
struct Stats {
  double min = 0, median = 0, max = 0;
  double cpu_median = 0;
};

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Median(std::vector<double>& v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

template <class Body>
Stats Time(int warmup, int runs, Body body) {
  for (int i = 0; i < warmup; ++i) body();
  std::vector<double> wall, cpu;
  wall.reserve(static_cast<std::size_t>(runs));
  cpu.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const double cpu_start = ThreadCpuMs();
    const auto start = Clock::now();
    body();
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    cpu.push_back(ThreadCpuMs() - cpu_start);
  }
  Stats s;
  s.median = Median(wall);
  s.min = wall.front();
  s.max = wall.back();
  s.cpu_median = Median(cpu);
  return s;
}

// A 24-bit bottom-up bitmap file with a gradient and noise, so no row or column repeats.
void WritePicture(const fs::path& path, int width, int height) {
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
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = file.data() + 54 + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[3 * x + 0] = static_cast<std::uint8_t>(x * 255 / width + (noise >> 28));
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / height + (noise >> 24 & 15));
      row[3 * x + 2] = static_cast<std::uint8_t>((x + y) + (noise >> 20 & 15));
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
}

struct Case {
  const char* name;
  int folder;
  bool two_slots;  // strip offset -W/2: the left and the right slot both show
  bool zoomed;     // m_zoom_in = 1 at zoom 2.0: the view case of mode 0
  bool turned;     // picture 0 at angle 90, drawn from the rotation cache
  int brightness;
};

constexpr Case kCases[] = {
    {"strip 2x1440x900 b255", 0, true, false, false, 255},
    {"strip 2x1440x900 b128", 0, true, false, false, 128},
    {"strip 4000x3000 b128", 1, false, false, false, 128},  // shown at 0.36: from the half-size copy
    {"zoom 4000x3000 b255", 1, false, true, false, 255},
    {"zoom 4000x3000 b128", 1, false, true, false, 128},
    {"turned 90 + 1440x900 b255", 0, true, false, true, 255},
    {"turned 90 + 1440x900 b128", 0, true, false, true, 128},
};

void Apply(COrvaleDlg& dlg, const Case& c) {
  const int w = dlg.m_screen_w;
  dlg.m_folder = c.folder;
  dlg.m_strip_offset = c.two_slots ? -(w / 2) : 0;
  dlg.m_zoom_in = c.zoomed ? 1 : 0;
  dlg.m_zoom = c.zoomed ? 2.0f : 1.0f;
  dlg.m_brightness = c.brightness;
  dlg.m_brightness_saved = c.brightness;
  dlg.m_angle_table.Set(0, 0, c.turned ? 90 : 0);
  dlg.m_cache_flush_request = 1;
}

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {};
  return {info.bmWidth, info.bmHeight};
}

// The draws RenderFrame hands to ComposePictureLayer for the state the last frame left; the
// bitmaps come from `files` (file pictures) and the renderer's rotation cache.
std::vector<LayerDraw> DrawsOfLastFrame(COrvaleDlg& dlg, const std::vector<HBITMAP>& files) {
  const int W = dlg.m_screen_w, H = dlg.m_screen_h, U = dlg.m_strip_origin, R = dlg.m_strip_offset;
  const int n = dlg.m_picture_count;
  StripView view = StripGeometry(W, R, U, n);
  const int L = view.left_index;
  HBITMAP found = nullptr;
  HBITMAP left = dlg.m_renderer.Cache().Lookup(static_cast<WORD>(std::abs(L)), found) ? found
                                                                                      : files[view.left_file];
  HBITMAP right = dlg.m_renderer.Cache().Lookup(static_cast<WORD>(std::abs(L + 1)), found) ? found
                                                                                          : files[view.right_file];
  SIZE ls = SizeOf(left), rs = SizeOf(right);
  SlotScales scales = ScaleAndCentre(H, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), dlg.m_breath,
                                     dlg.m_zoom, ls, rs);
  std::vector<LayerDraw> draws;
  const bool left_current = view.fraction < W / 2;
  const bool zoomed = dlg.m_zoom_in == 1 || dlg.m_zoom > 1.0f || dlg.m_mode != kModeNormal;
  if (!zoomed) {
    draws.push_back(PictureDraw(left, scales.left.centre_x + U - R - L * W, scales.left.centre_y + dlg.m_strip_origin_y,
                                scales.left.drawn_w, scales.left.drawn_h, 0, 0, ls.cx, ls.cy));
    if (L + 1 != n && U - R > 0) {
      const int index = L + view.neighbour_step;
      draws.push_back(PictureDraw(right, scales.right.centre_x + U - R - index * W,
                                  scales.right.centre_y + dlg.m_strip_origin_y, scales.right.drawn_w,
                                  scales.right.drawn_h, 0, 0, rs.cx, rs.cy));
    }
  } else {
    CPoint origin = ViewPosition(dlg, left_current);
    const SlotScale& s = left_current ? scales.left : scales.right;
    SIZE size = left_current ? ls : rs;
    draws.push_back(PictureDraw(left_current ? left : right, s.centre_x, s.centre_y, s.drawn_w, s.drawn_h, origin.x,
                                origin.y, size.cx, size.cy));
  }
  return draws;
}

struct Options {
  int frames = 0;  // 0: 60 at 1080p, 30 at 2160p
  std::vector<int> heights{1080, 2160};
  std::string cases = "strip,zoom,turned";
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--frames=", 0) == 0) {
      o.frames = std::stoi(a.substr(9));
    } else if (a.rfind("--sizes=", 0) == 0) {
      o.heights.clear();
      std::string list = a.substr(8);
      for (std::size_t at = 0; at < list.size();) {
        std::size_t comma = list.find(',', at);
        if (comma == std::string::npos) comma = list.size();
        o.heights.push_back(std::stoi(list.substr(at, comma - at)));
        at = comma + 1;
      }
    } else if (a.rfind("--cases=", 0) == 0) {
      o.cases = a.substr(8);
    } else {
      std::fprintf(stderr, "usage: %s [--frames=N] [--sizes=1080,2160] [--cases=strip,zoom,turned]\n", argv[0]);
      std::exit(2);
    }
  }
  return o;
}

bool Wanted(const Options& o, const Case& c) {
  std::string name = c.name;
  return o.cases.find(name.substr(0, name.find(' '))) != std::string::npos;
}

struct Target {
  int height;
  const char* case_name;
  bool composition;  // else the whole frame
  double within;     // times memcpy
};

constexpr Target kTargets[] = {
    {1080, "strip 4000x3000 b128", true, 7.0},
    {1080, "strip 2x1440x900 b128", true, 5.0},  {1080, "zoom 4000x3000 b128", true, 7.0},
    {2160, "strip 2x1440x900 b128", true, 2.0},  {2160, "zoom 4000x3000 b128", true, 2.0},
    {1080, "strip 2x1440x900 b128", false, 10.0}, {1080, "zoom 4000x3000 b128", false, 10.0},
};

struct Result {
  int height;
  std::string name;
  double frame_ratio, compose_ratio;          // wall-clock medians over the memcpy's
  double frame_cpu_ratio, compose_cpu_ratio;  // the same in thread CPU time
};

void RunSize(const Options& o, int height, std::vector<Result>& results) {
  const int width = height * 16 / 9;
  const int frames = o.frames > 0 ? o.frames : (height > 1080 ? 30 : 60);
  HeadlessSession session(width, height);
  fs::create_directories("album/0");
  fs::create_directories("album/1");
  WritePicture("album/0/0.bmp", 1440, 900);
  WritePicture("album/0/1.bmp", 1440, 900);
  WritePicture("album/1/0.bmp", 4000, 3000);
  session.OpenWindow();

  // Start-up without the worker threads: the benchmark is the render thread.
  COrvaleDlg dlg;
  dlg.m_album_dir = kAlbumDir;
  dlg.ReadScreenSize();
  dlg.m_folder_count = dlg.CountUsableFolders();
  dlg.AllocateAlbumTables();
  dlg.ResetAlbumFields();
  dlg.CreateEvents();
  dlg.m_renderer.SetClock([] {
    std::tm t{};
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 14;
    t.tm_min = 5;
    return t;
  });

  std::vector<HBITMAP> folder_files[2];
  for (int f = 0; f < 2; ++f) {
    for (int p = 0; p < dlg.CountPictures(f); ++p) {
      folder_files[f].push_back(LoadImageW(nullptr, PicturePath(kAlbumDir, f, p), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
      MakeBitmapLevels(folder_files[f].back());  // as the renderer's picture files have them
    }
  }

  // The yardstick: one full frame of 32-bit pixels copied between two buffers.
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<Pixel> from(pixels, 0x00123456), to(pixels, 0);
  Stats copy = Time(5, 101, [&] {
    std::memcpy(to.data(), from.data(), pixels * sizeof(Pixel));
    from[0] ^= to[pixels / 2];  // keeps the copy observable
  });
  std::printf("\n%dx%d   memcpy of one frame (%.1f MiB): min %.3f  median %.3f  max %.3f ms  (cpu median %.3f)\n",
              width, height, static_cast<double>(pixels * sizeof(Pixel)) / (1 << 20), copy.min, copy.median, copy.max,
              copy.cpu_median);
  std::printf("%-26s %26s %6s %6s | %26s %6s %6s | %s\n", "case", "frame ms min/med/max", "x cpy", "cpu x", "compose ms min/med/max",
              "x cpy", "cpu x", "same");

  std::vector<Pixel> layer(pixels, 0);
  PixelBuffer out{layer.data(), width, height, width};
  for (const Case& c : kCases) {
    if (!Wanted(o, c)) continue;
    Apply(dlg, c);
    Stats frame = Time(5, frames, [&] { dlg.m_renderer.RenderDriverStep(dlg); });

    std::vector<LayerDraw> draws = DrawsOfLastFrame(dlg, folder_files[c.folder]);
    // Share of the shown frame the composition alone reproduces (the overlays cover the rest).
    ComposePictureLayer(out, draws, dlg.m_brightness & 0xFF);
    std::size_t same = 0;
    window_system::Surface()->Read([&](const PixelBuffer& shown) {
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) same += (shown.Row(y)[x] & 0xFFFFFF) == out.Row(y)[x];
      }
    });
    Stats compose = Time(3, frames, [&] { ComposePictureLayer(out, draws, dlg.m_brightness & 0xFF); });
    const double share = 100.0 * static_cast<double>(same) / static_cast<double>(pixels);
    std::printf("%-26s %8.3f %8.3f %8.3f %6.2f %6.2f | %8.3f %8.3f %8.3f %6.2f %6.2f | %.2f%%\n", c.name, frame.min,
                frame.median, frame.max, frame.median / copy.median, frame.cpu_median / copy.cpu_median, compose.min,
                compose.median, compose.max, compose.median / copy.median, compose.cpu_median / copy.cpu_median, share);
    results.push_back({height, c.name, frame.median / copy.median, compose.median / copy.median,
                       frame.cpu_median / copy.cpu_median, compose.cpu_median / copy.cpu_median});
  }
  // Where the rest of a frame goes: the parts of RenderFrame besides the composition, each alone.
  {
    HDC window = GetDC(&dlg);
    RECT client;
    dlg.GetClientRect(&client);
    HBITMAP frame_bitmap = CreateCompatibleBitmap(window, client.right, client.bottom);
    PictureFiles files;
    const std::string left = PicturePath(kAlbumDir, 0, 0), right = PicturePath(kAlbumDir, 0, 1);
    Stats census = Time(3, frames, [&] { (void)dlg.CountPictures(0); });
    Stats loads = Time(3, frames, [&] {
      files.Load(left);
      files.Load(right);
      files.EndFrame();
    });
    std::tm local{};
    local.tm_mon = 11;
    OverlayTexts texts = ComposeOverlayTexts(dlg, 60, GetTickCount(), &local);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP previous = SelectObject(memory, frame_bitmap);
    SetBkMode(memory, TRANSPARENT);
    Stats overlays = Time(3, frames, [&] { DrawOverlays(memory, texts, width, height); });
    SelectObject(memory, previous);
    DeleteDC(memory);
    Stats present = Time(3, frames, [&] { CMemDC buffer(window, &client, frame_bitmap, CMemDC::Start::kCoveredByCaller); });
    HBITMAP large = folder_files[1][0];
    Stats levels = Time(1, 11, [&] { MakeBitmapLevels(large); });
    DeleteObject(frame_bitmap);
    ReleaseDC(&dlg, window);
    auto line = [&](const char* what, const Stats& t) {
      std::printf("  %-34s %8.3f %8.3f %8.3f %6.2f %6.2f\n", what, t.min, t.median, t.max, t.median / copy.median,
                  t.cpu_median / copy.cpu_median);
    };
    std::printf("frame parts besides the composition:\n");
    line("folder count (CountPictures)", census);
    line("two picture files (stat, cached)", loads);
    line("overlay text (DrawOverlays)", overlays);
    line("buffer to window (CMemDC, BitBlt)", present);
    std::printf("when a picture is read:\n");
    line("levels of a 4000x3000 bitmap", levels);
    std::printf("  extra memory of the levels: %.1f MiB beside %.1f MiB (%.1f%%)\n",
                static_cast<double>(BitmapLevelBytes(large)) / (1 << 20), 4000.0 * 3000 * 4 / (1 << 20),
                100.0 * static_cast<double>(BitmapLevelBytes(large)) / (4000.0 * 3000 * 4));
  }

  Apply(dlg, kCases[0]);
  dlg.m_renderer.Release();
  for (auto& list : folder_files) {
    for (HBITMAP b : list) DeleteObject(b);
  }
  dlg.ReleaseAlbumTables();
}

}  // namespace

int main(int argc, char** argv) {
  Options o = Parse(argc, argv);
  // Other processes stretch the wall-clock figures; the load says how much to trust them.
  std::string load;
  std::getline(std::ifstream("/proc/loadavg"), load);
  std::printf("render_bench: load average %s\n", load.c_str());
  std::vector<Result> results;
  for (int height : o.heights) RunSize(o, height, results);

  std::printf("\ntargets (median, times the memcpy of the same frame):\n");
  bool all = true;
  for (const Target& t : kTargets) {
    for (const Result& r : results) {
      if (r.height != t.height || r.name != t.case_name) continue;
      const double ratio = t.composition ? r.compose_ratio : r.frame_ratio;
      const double cpu_ratio = t.composition ? r.compose_cpu_ratio : r.frame_cpu_ratio;
      const bool ok = ratio <= t.within;
      all = all && ok;
      std::printf("  %-4s %4dp %-24s %-11s %6.2fx  (cpu time %5.2fx)  within %.0fx\n", ok ? "ok" : "MISS", t.height,
                  t.case_name, t.composition ? "composition" : "frame", ratio, cpu_ratio, t.within);
    }
  }
  std::printf("%s\n", all ? "all targets met" : "some targets missed");
  return 0;
}
