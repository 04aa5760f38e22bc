#include "platform/media/song_cursor.h"

#include <algorithm>

SongCursor::SongCursor(const MidiSong& song, int sample_rate)
    : m_song(song), m_rate(sample_rate), m_length_ms(SongLengthMs(song)) {
  // The end is the length in whole milliseconds, so the last position reported equals the length.
  m_end_frame = FrameOf(std::uint64_t{m_length_ms} * 1000);
}

std::uint64_t SongCursor::FrameOf(std::uint64_t time_us) const {
  __extension__ using Wide = unsigned __int128;
  return static_cast<std::uint64_t>(static_cast<Wide>(time_us) * static_cast<unsigned>(m_rate) / 1'000'000);
}

void SongCursor::SendDue(const std::function<void(const MidiEvent&)>& send) {
  while (m_next < m_song.events.size() && FrameOf(m_song.events[m_next].time_us) <= m_frame) {
    send(m_song.events[m_next]);
    ++m_next;
  }
}

int SongCursor::FramesToNext(int limit) const {
  if (AtEnd()) return limit;
  std::uint64_t next = m_end_frame;
  if (m_next < m_song.events.size()) next = std::min(next, FrameOf(m_song.events[m_next].time_us));
  const std::uint64_t ahead = next > m_frame ? next - m_frame : 1;
  return static_cast<int>(std::min<std::uint64_t>(ahead, static_cast<std::uint64_t>(limit)));
}

void SongCursor::Advance(int frames) {
  m_frame = std::min(m_end_frame, m_frame + static_cast<std::uint64_t>(std::max(frames, 0)));
}

std::uint32_t SongCursor::PositionMs() const {
  if (AtEnd()) return m_length_ms;
  return static_cast<std::uint32_t>(m_frame * 1000 / static_cast<std::uint64_t>(m_rate));
}
