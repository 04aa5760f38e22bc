// The yardstick of present_bench: one memcpy of a whole 32-bit frame of the given size.
//
//   frame_copy_bench WIDTH HEIGHT   prints the median of 200 copies in milliseconds
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: frame_copy_bench WIDTH HEIGHT\n");
    return 2;
  }
  const std::size_t pixels = static_cast<std::size_t>(std::atoi(argv[1])) * static_cast<std::size_t>(std::atoi(argv[2]));
  std::vector<std::uint32_t> from(pixels, 0x00336699u);
  std::vector<std::uint32_t> to(pixels, 0);
  std::vector<double> ms;
  for (int i = 0; i < 200; ++i) {
    from[static_cast<std::size_t>(i) % pixels] = static_cast<std::uint32_t>(i);
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), pixels * sizeof(std::uint32_t));
    const auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  // Reading the copy keeps it from being optimised away.
  std::printf("%.4f %u\n", ms[ms.size() / 2], to[pixels / 2] & 1u);
  return 0;
}
