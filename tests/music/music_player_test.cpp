// The music step on a fake media driver: which song a picture calls for, the endless repeat,
// requests raised while nothing plays and after three seconds on a picture, and requests cancelled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "music/music_player.h"
#include "tests/music/fake_media_driver.h"
#include "tests/support/frame_rig.h"

using frame_test::FixedTicks;
using frame_test::FrameRig;

namespace {

const std::string kDisco = "./disco/0.mid";
const std::string kSelected = "./selected/1.mid";

// A player past its first poll (the start-up request), with no song open.
struct Rig {
  Rig() {
    fake.files[kDisco] = 2000;
    fake.files[kSelected] = 3000;
    player.MusicStep(s);  // raises the start-up request
    s.m_music_start = 0;
    fake.log.clear();
  }
  FixedTicks ticks{500'000};
  FakeMediaDriver fake;
  ViewerState s;
  MusicPlayer player;
};

}  // namespace

TEST(MusicChoice, OneToNineKeyFramesCallForTheDiscoSong) {
  const std::vector<std::pair<int, int>> table = {{0, 1}, {1, 0}, {3, 0}, {9, 0}, {10, 1}, {12, 1}, {50, 1}};
  for (auto [keys, index] : table) {
    SCOPED_TRACE(keys);
    EXPECT_EQ(SongIndexFor(keys), index);
  }
  EXPECT_EQ(SongPath(0), kDisco);
  EXPECT_EQ(SongPath(1), kSelected);
}

TEST(MusicStep, AStartRequestOpensTheSongOfThePictureInView) {
  for (auto [keys, path, index] : {std::tuple{3, kDisco, 0}, std::tuple{0, kSelected, 1}, std::tuple{12, kSelected, 1}}) {
    SCOPED_TRACE(keys);
    Rig rig;
    rig.s.m_key_count = keys;
    rig.s.m_music_start = 1;
    rig.player.MusicStep(rig.s);
    EXPECT_EQ(rig.s.m_music_start, 0);
    EXPECT_EQ(rig.player.m_music_index, index);
    EXPECT_EQ(rig.player.m_music_path, path);
    EXPECT_EQ(rig.fake.Opens(), std::vector<std::string>{path});
    ASSERT_NE(rig.player.m_music_device, 0);
    EXPECT_TRUE(rig.fake.devices[rig.player.m_music_device].playing);
    EXPECT_EQ(rig.player.m_music_length, index == 0 ? 2000 : 3000);
    EXPECT_EQ(rig.player.m_music_position, 0);
  }
}

TEST(MusicStep, ASongThatReachesItsLengthRestartsOnTheNextPoll) {
  Rig rig;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  const WORD first = rig.player.m_music_device;
  ASSERT_NE(first, 0);
  rig.fake.devices[first].position = 2999;
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.player.m_music_position, 2999);
  EXPECT_EQ(rig.player.m_music_device, first);

  rig.fake.log.clear();
  rig.fake.devices[first].position = 3000;
  rig.player.MusicStep(rig.s);
  const WORD second = rig.player.m_music_device;
  ASSERT_NE(second, 0);
  EXPECT_EQ(rig.fake.log, (std::vector<std::string>{"stop " + std::to_string(first), "close " + std::to_string(first),
                                                    "open " + kSelected, "play " + std::to_string(second)}));
  EXPECT_TRUE(rig.fake.devices[second].playing);
  EXPECT_EQ(rig.fake.devices[second].position, 0u);
  EXPECT_EQ(rig.fake.devices.size(), 1u);
  // It goes on repeating.
  rig.fake.devices[second].position = 3000;
  rig.player.MusicStep(rig.s);
  EXPECT_NE(rig.player.m_music_device, second);
  EXPECT_EQ(rig.fake.Opens(), (std::vector<std::string>{kSelected, kSelected}));
}

TEST(MusicStep, AMissingSongLeavesTheDeviceAtZeroAndTheThreadGoesOn) {
  Rig rig;
  rig.fake.files.clear();
  rig.s.m_key_count = 4;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.player.m_music_device, 0);
  EXPECT_EQ(rig.player.m_music_length, 0);
  EXPECT_EQ(rig.s.m_music_start, 0);
  for (int i = 0; i < 10; ++i) rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.fake.Opens(), std::vector<std::string>{kDisco});  // no restart of a song that is not open
  EXPECT_EQ(rig.player.m_music_device, 0);
}

TEST(MusicStep, AStartRequestReplacesThePlayingSong) {
  Rig rig;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  const WORD first = rig.player.m_music_device;
  rig.s.m_key_count = 2;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.player.m_music_path, kDisco);
  EXPECT_EQ(rig.fake.devices.count(first), 0u);  // closed
  EXPECT_EQ(rig.fake.devices.size(), 1u);
}

TEST(MusicRequests, TheFirstPollRaisesTheStartUpRequestTakenUpOnTheNext) {
  FixedTicks ticks(1000);
  FakeMediaDriver fake;
  fake.files[kSelected] = 3000;
  ViewerState s;
  MusicPlayer player;
  player.MusicStep(s);
  EXPECT_EQ(s.m_music_start, 1);
  EXPECT_TRUE(fake.log.empty());
  player.MusicStep(s);
  EXPECT_EQ(s.m_music_start, 0);
  EXPECT_EQ(fake.Opens(), std::vector<std::string>{kSelected});
  // Nothing more while the picture stays and the song is the one it calls for.
  ticks.Advance(10'000);
  for (int i = 0; i < 5; ++i) player.MusicStep(s);
  EXPECT_EQ(s.m_music_start, 0);
  EXPECT_EQ(fake.Opens().size(), 1u);
}

TEST(MusicRequests, APictureCallingForTheOtherSongSwitchesAfterThreeSeconds) {
  Rig rig;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  ASSERT_EQ(rig.player.m_music_path, kSelected);

  // A picture with a short recorded path comes into view.
  rig.s.m_picture = 1;
  rig.s.m_key_count = 5;
  rig.player.MusicStep(rig.s);
  for (DWORD t = 50; t < kSongSwitchDelayMs; t += 50) {
    rig.ticks.Advance(50);
    rig.player.MusicStep(rig.s);
    ASSERT_EQ(rig.s.m_music_start, 0) << t;
  }
  rig.ticks.Advance(50);
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 1);
  EXPECT_EQ(rig.player.m_music_path, kSelected);  // taken up on the next poll
  rig.ticks.Advance(50);
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 0);
  EXPECT_EQ(rig.player.m_music_path, kDisco);
  // Once it plays, the picture asks for nothing more.
  rig.ticks.Advance(5000);
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 0);
  EXPECT_EQ(rig.fake.Opens(), (std::vector<std::string>{kSelected, kDisco}));
}

TEST(MusicRequests, PicturesPassingBeforeThreeSecondsChangeNothing) {
  Rig rig;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  rig.s.m_key_count = 5;
  for (int picture = 1; picture <= 10; ++picture) {
    rig.s.m_picture = picture;
    for (int i = 0; i < 50; ++i) {  // 2.5 seconds each
      rig.ticks.Advance(50);
      rig.player.MusicStep(rig.s);
      ASSERT_EQ(rig.s.m_music_start, 0);
    }
  }
  // A change of folder counts as a change of picture.
  rig.s.m_folder = 3;
  rig.ticks.Advance(2950);
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 0);
  EXPECT_EQ(rig.fake.Opens(), std::vector<std::string>{kSelected});
}

TEST(MusicRequests, ASongThatCannotBeOpenedIsAskedForOncePerPicture) {
  Rig rig;
  rig.fake.files.erase(kDisco);
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  rig.s.m_picture = 1;
  rig.s.m_key_count = 5;
  for (int i = 0; i < 200; ++i) {  // ten seconds
    rig.ticks.Advance(50);
    rig.player.MusicStep(rig.s);
  }
  EXPECT_EQ(rig.fake.Opens(), (std::vector<std::string>{kSelected, kDisco}));
  EXPECT_EQ(rig.player.m_music_device, 0);
  // The next picture may ask again.
  rig.s.m_picture = 2;
  for (int i = 0; i < 80; ++i) {
    rig.ticks.Advance(50);
    rig.player.MusicStep(rig.s);
  }
  EXPECT_EQ(rig.fake.Opens(), (std::vector<std::string>{kSelected, kDisco, kDisco}));
}

TEST(MusicRequests, RecordingAPathForThePictureInViewSwitchesTheSong) {
  Rig rig;
  rig.s.m_music_start = 1;
  rig.player.MusicStep(rig.s);
  rig.ticks.Advance(4000);
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 0);
  rig.s.m_key_count = 2;  // the recording step counts the new key frames
  rig.player.MusicStep(rig.s);
  EXPECT_EQ(rig.s.m_music_start, 1);
}

// The renderer clears m_music_start when the picture in view changes, before the music thread
// takes the request up. At launch that is the first frame, when the record file brings back a
// strip position away from picture 0: the start is asked again at once, not after three seconds.
TEST(MusicRequests, AStartCancelledByThePictureChangeIsAskedAgainAtTheNextPoll) {
  constexpr int kW = 1280;
  FrameRig frames(kW, 800);
  FrameRig::SolidFolder(0, {0x2896DC, 0xC86425, 0x30A050}, 64, 40);
  frames.Start();
  frames.dlg.m_strip_offset = -2 * kW;
  FakeMediaDriver fake;
  fake.files[kSelected] = 3000;
  MusicPlayer player;
  player.MusicStep(frames.dlg);
  ASSERT_EQ(frames.dlg.m_music_start, 1);

  frames.Render();
  ASSERT_EQ(frames.dlg.m_picture, 2);
  EXPECT_EQ(frames.dlg.m_music_start, 0);
  player.MusicStep(frames.dlg);
  EXPECT_TRUE(fake.Opens().empty());  // cancelled
  EXPECT_EQ(frames.dlg.m_music_start, 1);
  player.MusicStep(frames.dlg);
  EXPECT_EQ(fake.Opens(), std::vector<std::string>{kSelected});
  EXPECT_NE(player.m_music_device, 0);  // with the rig's clock standing still
}

// Rand, Inside and Dynam move on to the next picture well before three seconds.
TEST(MusicRequests, WhilePicturesChangeEveryFewPollsTheSongStartsAtOnce) {
  FixedTicks ticks(1000);
  FakeMediaDriver fake;
  fake.files[kSelected] = 3000;
  ViewerState s;
  MusicPlayer player;
  int polls = 0;
  for (; polls < 20 && player.m_music_device == 0; ++polls) {
    if (polls % 3 == 1) {  // the renderer: a new picture, the pending request cancelled
      s.m_picture = s.m_picture + 1;
      s.m_music_start = 0;
    }
    player.MusicStep(s);
    ticks.Advance(50);
  }
  EXPECT_NE(player.m_music_device, 0);
  EXPECT_LE(polls, 4);
  EXPECT_EQ(fake.Opens(), std::vector<std::string>{kSelected});
}

TEST(MusicRequests, ASongThatCannotBeOpenedIsTriedAgainOnlyOnAPictureThatStays) {
  FixedTicks ticks(1000);
  FakeMediaDriver fake;
  fake.files[kDisco] = 2000;  // the selected song is missing
  ViewerState s;
  MusicPlayer player;
  // Ten seconds of pictures passing every half second: one try, at start-up.
  for (int poll = 0; poll < 200; ++poll) {
    if (poll % 10 == 9) s.m_picture = s.m_picture + 1;
    player.MusicStep(s);
    ticks.Advance(50);
  }
  EXPECT_EQ(fake.Opens(), std::vector<std::string>{kSelected});
  // A picture that stays three seconds tries once more.
  for (int poll = 0; poll < 100; ++poll) {
    player.MusicStep(s);
    ticks.Advance(50);
  }
  EXPECT_EQ(fake.Opens(), (std::vector<std::string>{kSelected, kSelected}));
  // The song that is there plays at once for a picture that calls for it.
  s.m_picture = s.m_picture + 1;
  s.m_key_count = 4;
  player.MusicStep(s);
  player.MusicStep(s);
  EXPECT_EQ(fake.Opens(), (std::vector<std::string>{kSelected, kSelected, kDisco}));
  EXPECT_NE(player.m_music_device, 0);
}

TEST(MusicPlayer, ClosesItsSongWhenDestroyed) {
  FakeMediaDriver fake;
  fake.files[kSelected] = 3000;
  ViewerState s;
  {
    MusicPlayer player;
    s.m_music_start = 1;
    player.MusicStep(s);
    ASSERT_EQ(fake.devices.size(), 1u);
  }
  EXPECT_TRUE(fake.devices.empty());
}
