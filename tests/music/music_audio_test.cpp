// The real player: FluidSynth renders songs the tests write, and SDL's disk audio driver stores
// what would be heard in a file of 16-bit stereo samples at 44.1 kHz. Each test starts SDL's audio
// subsystem after setting the driver, and ends it by destroying its media driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/viewer_state.h"
#include "music/music_player.h"
#include "platform/kernel/time.h"
#include "platform/media/mci.h"
#include "platform/media/synth_driver.h"
#include "tests/music/smf_writer.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

bool HaveSoundFont() {
  for (const std::string& path : DefaultSoundFonts()) {
    if (fs::exists(path)) return true;
  }
  return false;
}

// SDL's audio subsystem, when it next starts, writes what it plays to `file`.
void UseDiskAudio(const fs::path& file) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

std::vector<std::int16_t> ReadSamples(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
  return samples;
}

// The first and the last frame with a sample louder than `threshold`; -1 when there is none.
struct Heard {
  long first = -1;
  long last = -1;
  int peak = 0;
  double Milliseconds() const { return first < 0 ? 0.0 : (last - first + 1) * 1000.0 / kSynthSampleRate; }
};

Heard Listen(const std::vector<std::int16_t>& samples, int threshold = 30) {
  Heard heard;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const int v = std::abs(static_cast<int>(samples[i]));
    heard.peak = std::max(heard.peak, v);
    if (v <= threshold) continue;
    const long frame = static_cast<long>(i / kSynthChannels);
    if (heard.first < 0) heard.first = frame;
    heard.last = frame;
  }
  return heard;
}

bool Silent(const fs::path& file) {
  if (!fs::exists(file)) return true;
  const std::vector<std::int16_t> samples = ReadSamples(file);
  return std::all_of(samples.begin(), samples.end(), [](std::int16_t v) { return v == 0; });
}

// Lines the media layer printed: those of SDL (the disk driver announces itself) are left out.
std::vector<std::string> MusicLines(const std::string& stderr_text) {
  std::vector<std::string> lines;
  std::istringstream in(stderr_text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("quenmira: music:", 0) == 0) lines.push_back(line);
  }
  return lines;
}

// A synthesizer driver installed for the object's lifetime.
class InstalledSynth {
 public:
  explicit InstalledSynth(std::vector<std::string> soundfonts = DefaultSoundFonts())
      : m_driver(CreateSynthMediaDriver(std::move(soundfonts))) {
    InstallMediaDriver(m_driver.get());
  }
  ~InstalledSynth() { InstallMediaDriver(nullptr); }

 private:
  std::unique_ptr<MediaDriver> m_driver;
};

// Runs the music thread's loop on `s` for `ms` milliseconds of real time, or until `done`.
void RunMusicThread(MusicPlayer& player, ViewerState& s, int ms, const std::function<bool()>& done = {}) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    player.MusicStep(s);
    if (done && done()) return;
    Sleep(50);
  }
}

}  // namespace

TEST(MusicAudio, ASongIsHeardForItsLengthAndItsPositionEndsAtTheLength) {
  if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  smf::Write("song.mid", smf::Melody(4, 250));
  std::vector<DWORD> positions;
  {
    InstalledSynth synth;
    MCI_OPEN_PARMSW open;
    open.lpstrElementName = "song.mid";
    ASSERT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MMSYSERR_NOERROR);
    ASSERT_NE(open.wDeviceID, 0u);
    MCI_STATUS_PARMS length;
    length.dwItem = MCI_STATUS_LENGTH;
    ASSERT_EQ(mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &length), MMSYSERR_NOERROR);
    EXPECT_EQ(length.dwReturn, 1000u);
    MCI_PLAY_PARMS play;
    ASSERT_EQ(mciSendCommandW(open.wDeviceID, MCI_PLAY, 0, &play), MMSYSERR_NOERROR);
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 4000; ++i) {
      MCI_STATUS_PARMS position;
      position.dwItem = MCI_STATUS_POSITION;
      ASSERT_EQ(mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &position), MMSYSERR_NOERROR);
      positions.push_back(static_cast<DWORD>(position.dwReturn));
      if (position.dwReturn == length.dwReturn) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_GE(took.count(), 950);  // played in real time, not faster
    EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_STOP, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_CLOSE, 0), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // silence after the song
  }
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.back(), 1000u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  const Heard heard = Listen(ReadSamples(out));
  EXPECT_GT(heard.peak, 1000);
  EXPECT_NEAR(heard.Milliseconds(), 1000.0, 100.0);
}

TEST(MusicAudio, TheMusicThreadRepeatsTheSongWithoutEnd) {
  if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  smf::Write("selected/1.mid", smf::Melody(2, 200));  // 400 ms
  std::vector<WORD> devices;
  {
    InstalledSynth synth;
    ViewerState s;
    MusicPlayer player;
    // Until the song has opened three times (two restarts); the audio thread's pace sets how long.
    RunMusicThread(player, s, 20'000, [&] {
      if (devices.empty() || devices.back() != player.m_music_device) devices.push_back(player.m_music_device);
      return devices.size() >= 4;
    });
    EXPECT_EQ(player.m_music_path, "./selected/1.mid");
    EXPECT_EQ(player.m_music_length, 400);
  }
  // The first poll only asks; then the song opens, and opens again each time it ends.
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_EQ(devices.front(), 0);
  EXPECT_TRUE(std::find(devices.begin() + 1, devices.end(), 0) == devices.end());
  // Two whole plays were heard, with no more than a poll between them.
  const Heard heard = Listen(ReadSamples(out));
  EXPECT_GT(heard.peak, 1000);
  EXPECT_GT(heard.Milliseconds(), 780.0);
}

TEST(MusicAudio, WithoutSongFilesNothingIsHeardAndNothingIsPrinted) {
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  testing::internal::CaptureStderr();
  {
    InstalledSynth synth;
    ViewerState s;
    MusicPlayer player;
    RunMusicThread(player, s, 300);
    EXPECT_EQ(player.m_music_path, "./selected/1.mid");
    EXPECT_EQ(player.m_music_device, 0);
    s.m_key_count = 4;  // the other song, missing too
    s.m_music_start = 1;
    player.MusicStep(s);
    EXPECT_EQ(player.m_music_device, 0);
    EXPECT_EQ(player.m_music_path, "./disco/0.mid");
  }
  EXPECT_EQ(MusicLines(testing::internal::GetCapturedStderr()), std::vector<std::string>{});
  EXPECT_TRUE(Silent(out));
}

TEST(MusicAudio, ASongThatIsThereButCannotBeReadIsReportedOnce) {
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  fs::create_directories("selected/1.mid");  // there, but no file to read
  testing::internal::CaptureStderr();
  {
    InstalledSynth synth;
    ViewerState s;
    MusicPlayer player;
    RunMusicThread(player, s, 300);
    for (int i = 0; i < 3; ++i) {
      s.m_music_start = 1;
      player.MusicStep(s);
      EXPECT_EQ(player.m_music_device, 0);
    }
  }
  EXPECT_EQ(MusicLines(testing::internal::GetCapturedStderr()),
            std::vector<std::string>{"quenmira: music: cannot read the song ./selected/1.mid"});
  EXPECT_TRUE(Silent(out));
}

TEST(MusicAudio, CorruptAndEmptySongsPlayNothingAndTheThreadRunsOn) {
  if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  smf::Bytes corrupt = smf::Melody(3, 200);
  corrupt.resize(corrupt.size() - 5);  // cut in the middle of the track
  smf::Write("selected/1.mid", corrupt);
  smf::Write("disco/0.mid", {});
  testing::internal::CaptureStderr();
  {
    InstalledSynth synth;
    ViewerState s;
    MusicPlayer player;
    RunMusicThread(player, s, 300);
    EXPECT_EQ(player.m_music_device, 0);
    for (int keys : {4, 0, 4}) {
      s.m_key_count = keys;
      s.m_music_start = 1;
      RunMusicThread(player, s, 100);
      EXPECT_EQ(player.m_music_device, 0);
    }
    // The thread goes on: a good song put in place plays at the next request.
    smf::Write("selected/1.mid", smf::Melody(3, 200));
    s.m_key_count = 0;
    s.m_music_start = 1;
    player.MusicStep(s);
    EXPECT_NE(player.m_music_device, 0);
    RunMusicThread(player, s, 10'000, [&] { return player.m_music_position >= 200; });
  }
  const std::vector<std::string> lines = MusicLines(testing::internal::GetCapturedStderr());
  ASSERT_EQ(lines.size(), 2u);  // once for the corrupt file, once for the empty one
  EXPECT_NE(lines[0].find("not a MIDI file"), std::string::npos);
  EXPECT_NE(lines[1].find("empty"), std::string::npos);
  EXPECT_GT(Listen(ReadSamples(out)).peak, 1000);
}

TEST(MusicAudio, WithoutASoundFontNoSongOpensAndOneLineIsPrinted) {
  HeadlessSession session;
  const fs::path out = session.Folder() / "heard.raw";
  UseDiskAudio(out);
  smf::Write("song.mid", smf::Melody(2, 100));
  testing::internal::CaptureStderr();
  {
    InstalledSynth synth({(session.Folder() / "none.sf2").string()});
    for (int i = 0; i < 3; ++i) {
      MCI_OPEN_PARMSW open;
      open.lpstrElementName = "song.mid";
      EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_HARDWARE);
      EXPECT_EQ(open.wDeviceID, 0u);
    }
  }
  const std::vector<std::string> lines = MusicLines(testing::internal::GetCapturedStderr());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("SoundFont"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));  // the audio device never opened
}

TEST(MusicAudio, WithoutAnAudioDeviceNoSongOpensAndOneLineIsPrinted) {
  if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  HeadlessSession session;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  smf::Write("song.mid", smf::Melody(2, 100));
  testing::internal::CaptureStderr();
  {
    InstalledSynth synth;
    for (int i = 0; i < 3; ++i) {
      MCI_OPEN_PARMSW open;
      open.lpstrElementName = "song.mid";
      EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_HARDWARE);
      EXPECT_EQ(open.wDeviceID, 0u);
    }
  }
  const std::vector<std::string> lines = MusicLines(testing::internal::GetCapturedStderr());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("audio"), std::string::npos);
}
