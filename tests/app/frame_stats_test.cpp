#include "app/frame_stats.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace fs = std::filesystem;

namespace {

class FrameStatsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path = (fs::temp_directory_path() / ("quenmira-stats-" + std::to_string(getpid()))).string();
    fs::remove(path);
  }
  void TearDown() override { fs::remove(path); }

  std::vector<std::string> Lines() const {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string path;
};

std::string Line(DWORD ms, int frames, int objects, int presented) {
  std::ostringstream out;
  out << ms << ' ' << frames << ' ' << objects << ' ' << presented;
  return out.str();
}

}  // namespace

TEST_F(FrameStatsFile, OneLineASecondWithFramesAndLiveDrawingObjects) {
  std::ofstream(path) << "an earlier run\n";
  const int live = GdiLiveObjectCount();
  {
    FrameStats stats(path, 500);
    ASSERT_TRUE(stats.On());
    // The first second starts at the first pass (t = 1000): 101 passes up to t = 2000, all drawn.
    // The window shows every other frame; its count was 7 before the first pass.
    for (DWORD t = 1000; t <= 2000; t += 10) stats.Pass(t, true, 7 + (t - 1000) / 20);
    EXPECT_EQ(Lines().size(), 2u);
    // A paused second: passes go on, no frames; a pen made meanwhile is still alive.
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    for (DWORD t = 2010; t <= 2990; t += 10) stats.Pass(t, false, 57);
    EXPECT_EQ(Lines().size(), 2u);
    stats.Pass(3000, false, 57);
    DeleteObject(pen);
    // Half the passes drawing.
    for (DWORD t = 3010; t <= 4000; t += 10) stats.Pass(t, t % 20 == 0, 57 + (t - 3000) / 20);
  }
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "an earlier run");  // appended, not overwritten
  EXPECT_EQ(lines[1], Line(1500, 101, live, 50));
  EXPECT_EQ(lines[2], Line(2500, 0, live + 1, 0));
  EXPECT_EQ(lines[3], Line(3500, 50, live, 50));
}

TEST_F(FrameStatsFile, OffWithoutAFileAndWithoutTheVariable) {
  FrameStats none("", 0);
  EXPECT_FALSE(none.On());
  none.Pass(5000, true, 0);

  unsetenv("QUENMIRA_STATS");
  EXPECT_FALSE(FrameStats().On());
  setenv("QUENMIRA_STATS", path.c_str(), 1);
  {
    FrameStats from_environment;
    EXPECT_TRUE(from_environment.On());
    from_environment.Pass(0, true, 0);
    from_environment.Pass(1000, true, 0);
  }
  unsetenv("QUENMIRA_STATS");
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  std::istringstream fields(lines[0]);
  unsigned long ms = 0;
  int frames = -1;
  fields >> ms >> frames;
  EXPECT_EQ(frames, 2);
}

TEST_F(FrameStatsFile, AFileThatCannotBeOpenedTurnsThemOff) {
  FrameStats stats((fs::path(path) / "no" / "such" / "folder").string(), 0);
  EXPECT_FALSE(stats.On());
  stats.Pass(2000, true, 0);
}
