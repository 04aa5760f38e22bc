#include "app/frame_stats.h"

#include <cstdlib>

#include "platform/gdi/gdi.h"
#include "platform/kernel/time.h"

namespace {

// Taken while the program loads, before main.
const DWORD g_program_start = GetTickCount();

std::string PathFromEnvironment() {
  const char* path = std::getenv("QUENMIRA_STATS");
  return path ? path : "";
}

}  // namespace

FrameStats::FrameStats() : FrameStats(PathFromEnvironment(), g_program_start) {}

FrameStats::FrameStats(const std::string& path, DWORD origin) : m_origin(origin) {
  if (!path.empty()) m_file.reset(std::fopen(path.c_str(), "a"));
}

void FrameStats::Pass(DWORD now, bool drew, std::uint64_t presented) {
  if (!m_file) return;
  if (!m_counting) {
    m_counting = true;  // the first second starts with the first pass, not with start-up
    m_second_start = now;
    m_presented_at_start = presented;
  }
  if (drew) ++m_frames;
  if (now - m_second_start < 1000) return;
  std::fprintf(m_file.get(), "%lu %d %d %llu\n", static_cast<unsigned long>(now - m_origin), m_frames,
               GdiLiveObjectCount(), static_cast<unsigned long long>(presented - m_presented_at_start));
  std::fflush(m_file.get());
  m_second_start = now;
  m_frames = 0;
  m_presented_at_start = presented;
}
