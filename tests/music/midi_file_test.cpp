// Reading standard MIDI files: event times through tempo changes, running status, the song's
// length, and files that are refused; then walking a song in sample frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/media/midi_file.h"
#include "platform/media/song_cursor.h"
#include "tests/music/smf_writer.h"

using smf::Bytes;
using smf::Track;

TEST(MidiFile, EventTimesFollowTheDefaultTempo) {
  // 480 ticks a quarter at 500000 us a quarter: one tick is 1041.67 us.
  Track t;
  t.Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).End(240);
  std::optional<MidiSong> song = ParseMidiFile(smf::File(0, 480, {t}));
  ASSERT_TRUE(song);
  ASSERT_EQ(song->events.size(), 2u);
  EXPECT_EQ(song->events[0].time_us, 0u);
  EXPECT_EQ(song->events[0].status, 0x90);
  EXPECT_EQ(song->events[0].data1, 60);
  EXPECT_EQ(song->events[0].data2, 100);
  EXPECT_EQ(song->events[1].time_us, 500'000u);
  EXPECT_EQ(song->length_us, 750'000u);  // the end-of-track delta counts
  EXPECT_EQ(SongLengthMs(*song), 750u);
}

TEST(MidiFile, TempoChangesApplyFromTheirTick) {
  Track t;
  t.Event(0, {0x90, 60, 100})
      .Tempo(96, 1'000'000)  // after 100 ms, quarters of a second
      .Event(96, {0x80, 60, 0})
      .End();
  std::optional<MidiSong> song = ParseMidiFile(smf::File(0, 96, {t}));
  ASSERT_TRUE(song);
  ASSERT_EQ(song->events.size(), 2u);  // the tempo event is not kept
  EXPECT_EQ(song->events[1].time_us, 500'000u + 1'000'000u);
  EXPECT_EQ(song->length_us, 1'500'000u);
}

TEST(MidiFile, FormatOneTracksMergeByTimeAndShareTheTempoTrack) {
  Track tempo;
  tempo.Tempo(0, 250'000).End(960);
  Track a;
  a.Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).End();
  Track b;
  b.Event(240, {0x91, 64, 90}).Event(480, {0x81, 64, 0}).End();
  std::optional<MidiSong> song = ParseMidiFile(smf::File(1, 480, {tempo, a, b}));
  ASSERT_TRUE(song);
  std::vector<std::uint64_t> times;
  std::vector<int> statuses;
  for (const MidiEvent& e : song->events) {
    times.push_back(e.time_us);
    statuses.push_back(e.status);
  }
  EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 125'000, 250'000, 375'000}));
  EXPECT_EQ(statuses, (std::vector<int>{0x90, 0x91, 0x80, 0x81}));
  EXPECT_EQ(song->length_us, 500'000u);  // the longest track
}

TEST(MidiFile, RunningStatusAndOneByteMessages) {
  Track t;
  t.Event(0, {0x90, 60, 100}).Event(10, {62, 100}).Event(0, {0xC2, 5}).Event(0, {7}).Event(0, {0xE0, 0x00, 0x40}).End();
  std::optional<MidiSong> song = ParseMidiFile(smf::File(0, 480, {t}));
  ASSERT_TRUE(song);
  ASSERT_EQ(song->events.size(), 5u);
  EXPECT_EQ(song->events[1].status, 0x90);
  EXPECT_EQ(song->events[1].data1, 62);
  EXPECT_EQ(song->events[3].status, 0xC2);
  EXPECT_EQ(song->events[3].data1, 7);
  EXPECT_EQ(song->events[4].data2, 0x40);
}

TEST(MidiFile, SystemExclusiveKeepsItsBodyAndMetaEventsAreDropped) {
  Track t;
  t.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
      .Event(0, {0xFF, 0x03, 0x02, 'h', 'i'})  // a track name
      .Event(0, {0x90, 60, 100})
      .End(480);
  std::optional<MidiSong> song = ParseMidiFile(smf::File(0, 480, {t}));
  ASSERT_TRUE(song);
  ASSERT_EQ(song->events.size(), 2u);
  EXPECT_EQ(song->events[0].status, 0xF0);
  EXPECT_EQ(song->events[0].sysex, (std::vector<std::uint8_t>{0x7E, 0x7F, 0x09, 0x01}));
  EXPECT_EQ(song->events[1].status, 0x90);
}

TEST(MidiFile, SmpteDivisionCountsFixedTicks) {
  // 25 frames a second of 40 ticks: one millisecond a tick, whatever the tempo says.
  Track t;
  t.Tempo(0, 1'000'000).Event(0, {0x90, 60, 100}).Event(250, {0x80, 60, 0}).End();
  const std::uint16_t division = static_cast<std::uint16_t>(((256 - 25) << 8) | 40);
  std::optional<MidiSong> song = ParseMidiFile(smf::File(0, division, {t}));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->events[1].time_us, 250'000u);
  EXPECT_EQ(SongLengthMs(*song), 250u);
}

TEST(MidiFile, LengthInMillisecondsIsRoundedUp) {
  MidiSong song;
  song.length_us = 1'000'001;
  EXPECT_EQ(SongLengthMs(song), 1001u);
  song.length_us = 1'000'000;
  EXPECT_EQ(SongLengthMs(song), 1000u);
}

TEST(MidiFile, UnreadableFilesAreRefused) {
  Track good;
  good.Event(0, {0x90, 60, 100}).End(480);
  const Bytes valid = smf::File(0, 480, {good});
  ASSERT_TRUE(ParseMidiFile(valid));

  struct Case {
    const char* name;
    Bytes bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}});
  Bytes cut(valid.begin(), valid.end() - 3);
  cases.push_back({"cut short", cut});
  Bytes header_only(valid.begin(), valid.begin() + 14);
  cases.push_back({"no track", header_only});
  Bytes format2 = valid;
  format2[9] = 2;
  cases.push_back({"format 2", format2});
  Bytes zero_division = valid;
  zero_division[12] = 0;
  zero_division[13] = 0;
  cases.push_back({"division 0", zero_division});
  Track no_status;
  no_status.Event(0, {60, 100}).End();
  cases.push_back({"running status with nothing before", smf::File(0, 480, {no_status})});
  Track bad_data;
  bad_data.Event(0, {0x90, 0x90, 100}).End();
  cases.push_back({"status byte as data", smf::File(0, 480, {bad_data})});
  Track realtime;
  realtime.Event(0, {0xF8}).End();
  cases.push_back({"real-time message", smf::File(0, 480, {realtime})});
  Track long_meta;
  long_meta.Event(0, {0xFF, 0x01, 0x20, 'x'});
  cases.push_back({"meta longer than its track", smf::File(0, 480, {long_meta})});
  Bytes chunk_overrun = valid;
  chunk_overrun[21] = 0x7F;  // the track's length, low byte
  cases.push_back({"track longer than the file", chunk_overrun});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ParseMidiFile(c.bytes));
  }
}

TEST(MidiFile, UnknownChunksAreSkipped) {
  Track t;
  t.Event(0, {0x90, 60, 100}).End(480);
  Bytes with_extra = smf::File(0, 480, {});
  with_extra[11] = 1;  // one track follows, after a chunk of another type
  smf::Append(with_extra, {'X', 'x', 'x', 'x', 0, 0, 0, 2, 1, 2});
  const Bytes track = smf::File(0, 480, {t});
  with_extra.insert(with_extra.end(), track.begin() + 14, track.end());
  std::optional<MidiSong> song = ParseMidiFile(with_extra);
  ASSERT_TRUE(song);
  EXPECT_EQ(song->events.size(), 1u);
}

TEST(SongCursor, SendsEventsWhenTheirFrameComesAndEndsAtTheLength) {
  // Events at 0, 10 and 20 ms of a 30 ms song, at 1000 frames a second: frames 0, 10, 20, end 30.
  MidiSong song;
  for (int i = 0; i < 3; ++i) {
    MidiEvent e;
    e.time_us = static_cast<std::uint64_t>(i) * 10'000;
    e.status = 0x90;
    e.data1 = static_cast<std::uint8_t>(i);
    song.events.push_back(e);
  }
  song.length_us = 30'000;
  SongCursor cursor(song, 1000);
  std::vector<int> sent;
  auto send = [&](const MidiEvent& e) { sent.push_back(e.data1); };

  cursor.SendDue(send);
  EXPECT_EQ(sent, (std::vector<int>{0}));
  EXPECT_EQ(cursor.FramesToNext(64), 10);
  EXPECT_EQ(cursor.FramesToNext(4), 4);
  cursor.Advance(4);
  EXPECT_EQ(cursor.PositionMs(), 4u);
  cursor.SendDue(send);
  EXPECT_EQ(sent.size(), 1u);
  cursor.Advance(6);
  cursor.SendDue(send);
  EXPECT_EQ(sent, (std::vector<int>{0, 1}));
  cursor.Advance(15);
  cursor.SendDue(send);
  EXPECT_EQ(sent, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(cursor.FramesToNext(64), 5);  // to the end
  EXPECT_EQ(cursor.PositionMs(), 25u);
  EXPECT_FALSE(cursor.AtEnd());
  cursor.Advance(100);
  EXPECT_TRUE(cursor.AtEnd());
  EXPECT_EQ(cursor.Frame(), 30u);
  EXPECT_EQ(cursor.PositionMs(), 30u);
  EXPECT_EQ(cursor.FramesToNext(64), 64);
}

TEST(SongCursor, PositionReachesTheRoundedUpLengthExactlyAt44100) {
  MidiSong song;
  song.length_us = 999'999;  // 1000 ms once rounded up
  SongCursor cursor(song, 44100);
  int steps = 0;
  std::uint32_t last = 0;
  while (!cursor.AtEnd() && steps < 100) {
    cursor.Advance(cursor.FramesToNext(1024));
    EXPECT_GE(cursor.PositionMs(), last);
    last = cursor.PositionMs();
    ++steps;
  }
  EXPECT_TRUE(cursor.AtEnd());
  EXPECT_EQ(cursor.Frame(), 44100u);
  EXPECT_EQ(cursor.PositionMs(), 1000u);
}
