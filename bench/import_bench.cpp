// The import benchmark: 12-megapixel JPEGs made here are converted by ImportPictures (decode,
// orient, write, draw on a headless window) and by libjpeg-turbo's `djpeg -bmp` in the same run;
// prints the time per picture of each and their ratio (target: at most 0.7).
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "album/bitmap_writer.h"
#include "album/picture_import.h"
#include "platform/image/image_codec.h"
#include "platform/window/window_system.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kPictures = 4;
constexpr int kRounds = 3;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// CPU time of this process (all threads), in seconds.
double ProcessCpu() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double UsageSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// A camera-like scene: smooth gradients, a few shapes and a fine texture, so the JPEG is of a
// realistic size (several MB at quality 92).
DecodedPicture Scene(int seed) {
  DecodedPicture picture{kWidth, kHeight, std::vector<Pixel>(static_cast<std::size_t>(kWidth) * kHeight)};
  unsigned noise = 2463534242u + static_cast<unsigned>(seed);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const int grain = static_cast<int>(noise & 15) - 8;
      const int dx = x - kWidth / 2 - seed * 300;
      const int dy = y - kHeight / 2;
      const bool disc = dx * dx + dy * dy < 900 * 900;
      int r = (x * 255) / kWidth + grain;
      int g = (y * 200) / kHeight + 30 + grain;
      int b = disc ? 220 + grain : ((x + y) / 16 % 2 ? 90 : 60) + grain;
      r = std::clamp(r, 0, 255);
      g = std::clamp(g, 0, 255);
      b = std::clamp(b, 0, 255);
      picture.pixels[static_cast<std::size_t>(y) * kWidth + x] =
          (static_cast<Pixel>(r) << 16) | (static_cast<Pixel>(g) << 8) | static_cast<Pixel>(b);
    }
  }
  return picture;
}

// Runs djpeg on one file, adding its CPU time to `cpu`; false when it cannot be run.
bool RunDjpeg(const std::string& in, const std::string& out, double& cpu) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::execlp("djpeg", "djpeg", "-bmp", "-outfile", out.c_str(), in.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  cpu += UsageSeconds(usage);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  HeadlessSession session(1920, 1080);
  session.OpenWindow();
  fs::create_directories("source");
  std::vector<std::string> sources;
  std::uintmax_t jpeg_bytes = 0;
  for (int i = 0; i < kPictures; ++i) {
    const std::string path = "source/picture" + std::to_string(i) + ".jpg";
    if (!EncodeJpegFile(Scene(i), path, 92)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    jpeg_bytes += fs::file_size(path);
    sources.push_back(path);
  }
  std::printf("%d pictures of %d x %d, %.1f MB of JPEG each on average\n", kPictures, kWidth, kHeight,
              static_cast<double>(jpeg_bytes) / kPictures / 1e6);

  std::vector<double> import_times;
  std::vector<double> djpeg_times;
  std::vector<double> import_cpu;
  std::vector<double> djpeg_cpu;
  std::vector<double> decode_times;
  std::vector<double> write_times;
  WindowImportDisplay display(nullptr, 1920, 1080);
  for (int round = 0; round < kRounds; ++round) {
    // The import pass on a fresh album.
    fs::remove_all("album");
    fs::create_directories("album/0");
    for (const std::string& source : sources) fs::copy_file(source, "album/0/" + fs::path(source).filename().string());
    const Clock::time_point start = Clock::now();
    const double cpu_start = ProcessCpu();
    const ImportResult result = ImportPictures("./album/", display);
    import_cpu.push_back((ProcessCpu() - cpu_start) / kPictures);
    import_times.push_back(Seconds(start) / kPictures);
    if (result.converted != kPictures) {
      std::fprintf(stderr, "import converted %d of %d\n", result.converted, kPictures);
      return 1;
    }

    // djpeg on the same files.
    fs::remove_all("djpeg");
    fs::create_directories("djpeg");
    const Clock::time_point djpeg_start = Clock::now();
    double cpu = 0;
    for (const std::string& source : sources) {
      if (!RunDjpeg(source, "djpeg/" + fs::path(source).stem().string() + ".bmp", cpu)) {
        std::fprintf(stderr, "djpeg failed (is libjpeg-turbo-progs installed?)\n");
        return 1;
      }
    }
    djpeg_times.push_back(Seconds(djpeg_start) / kPictures);
    djpeg_cpu.push_back(cpu / kPictures);

    // The two largest parts on their own.
    for (const std::string& source : sources) {
      const Clock::time_point decode_start = Clock::now();
      DecodeResult decoded = DecodePictureFile(source);
      decode_times.push_back(Seconds(decode_start));
      if (!decoded.picture) return 1;
      HBITMAP bitmap = CreateBitmapFromPicture(std::move(*decoded.picture));
      const Clock::time_point write_start = Clock::now();
      if (WriteBitmapFile(bitmap, "written.bmp") != 1) return 1;
      write_times.push_back(Seconds(write_start));
      DeleteObject(bitmap);
    }
  }

  const double import_ms = Median(import_times) * 1e3;
  const double djpeg_ms = Median(djpeg_times) * 1e3;
  const double import_cpu_ms = Median(import_cpu) * 1e3;
  const double djpeg_cpu_ms = Median(djpeg_cpu) * 1e3;
  std::printf("per picture, median of %d rounds      wall ms   cpu ms\n", kRounds);
  std::printf("import (decode, orient, write, draw): %7.1f  %7.1f\n", import_ms, import_cpu_ms);
  std::printf("  decode and orient alone:            %7.1f\n", Median(decode_times) * 1e3);
  std::printf("  write alone (synced to disk):       %7.1f\n", Median(write_times) * 1e3);
  std::printf("djpeg -bmp -outfile (process):        %7.1f  %7.1f\n", djpeg_ms, djpeg_cpu_ms);
  std::printf("ratio import / djpeg: wall %.2f, cpu %.2f (target <= 0.70)\n", import_ms / djpeg_ms,
              import_cpu_ms / djpeg_cpu_ms);
  return 0;
}
