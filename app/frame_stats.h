// Diagnostics for long test runs, off unless the environment variable QUENMIRA_STATS names a
// file: the render thread then appends one line a second to it,
// "<ms since the program started> <frames drawn in that second> <live drawing objects>
// <frames put on screen in that second>". A second in which rendering was paused shows 0 frames
// drawn; frames drawn faster than the window shows them are shown fewer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/types.h"

class FrameStats {
 public:
  // The file from QUENMIRA_STATS, counted from the program's start; off without the variable.
  FrameStats();
  // Appends to `path` with times counted from `origin`; an empty path (or one that cannot be
  // opened) turns the statistics off.
  FrameStats(const std::string& path, DWORD origin);

  bool On() const { return m_file != nullptr; }
  // One pass of the render thread at tick `now`; `drew` when it drew a frame; `presented` the
  // window's count of frames shown so far. Writes a line once a second has passed since the last.
  void Pass(DWORD now, bool drew, std::uint64_t presented);

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> m_file;
  DWORD m_origin = 0;
  bool m_counting = false;
  DWORD m_second_start = 0;
  int m_frames = 0;
  std::uint64_t m_presented_at_start = 0;  // the count of frames shown when the second began
};
