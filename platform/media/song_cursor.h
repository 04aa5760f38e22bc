// A place in a song counted in sample frames: which events are due, how far to render before the
// next one, and the position in milliseconds. Plain arithmetic, no sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/media/midi_file.h"

class SongCursor {
 public:
  SongCursor(const MidiSong& song, int sample_rate);

  // Hands every event whose frame has come to `send`, in order.
  void SendDue(const std::function<void(const MidiEvent&)>& send);
  // Frames from now to the next event, or to the end of the song, at most `limit` (at least 1
  // while `limit` is, so that rendering always moves on). `limit` once the end is reached.
  int FramesToNext(int limit) const;
  // Moves on by `frames`; stops at the end of the song.
  void Advance(int frames);

  bool AtEnd() const { return m_frame >= m_end_frame; }
  std::uint64_t Frame() const { return m_frame; }
  // Milliseconds played, equal to the song's length (SongLengthMs) once the end is reached.
  std::uint32_t PositionMs() const;

 private:
  std::uint64_t FrameOf(std::uint64_t time_us) const;

  const MidiSong& m_song;
  int m_rate;
  std::uint32_t m_length_ms;
  std::uint64_t m_end_frame;
  std::uint64_t m_frame = 0;
  std::size_t m_next = 0;  // first event not yet sent
};
