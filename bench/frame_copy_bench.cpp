// The yardstick of present_bench: one memcpy of a whole 32-bit frame of the given size, measured
// two ways: warm (the same two frames copied again and again, as render_bench measures it; at
// 1080p and below they stay in the last-level cache) and cold (through a ring of frames larger
// than the caches, as a frame on its way to the screen is).
//
//   frame_copy_bench WIDTH HEIGHT   prints "<warm median ms> <cold median ms>" over 200 copies
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Frame = std::vector<std::uint32_t>;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Copies frames[i % n] into frames[(i + 1) % n] 200 times; the milliseconds of each copy.
std::vector<double> Copies(std::vector<Frame>& frames) {
  std::vector<double> ms;
  const std::size_t n = frames.size();
  for (std::size_t i = 0; i < 200; ++i) {
    Frame& from = frames[i % n];
    Frame& to = frames[(i + 1) % n];
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
    const auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    to[i % to.size()] ^= static_cast<std::uint32_t>(i);  // keeps every copy observable
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: frame_copy_bench WIDTH HEIGHT\n");
    return 2;
  }
  const std::size_t pixels = static_cast<std::size_t>(std::atoi(argv[1])) * static_cast<std::size_t>(std::atoi(argv[2]));
  if (pixels == 0) return 2;
  std::vector<Frame> warm(2, Frame(pixels, 0x00336699u));
  const double warm_ms = Median(Copies(warm));
  warm.clear();
  // At least 96 MiB of frames: more than any last-level cache of this class of machine.
  const std::size_t ring = std::max<std::size_t>(3, (std::size_t{96} << 20) / (pixels * sizeof(std::uint32_t)) + 1);
  std::vector<Frame> cold(ring, Frame(pixels, 0x00336699u));
  const double cold_ms = Median(Copies(cold));
  std::printf("%.4f %.4f %u\n", warm_ms, cold_ms, cold[0][pixels / 2] & 1u);
  return 0;
}
