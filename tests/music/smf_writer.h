// Standard MIDI files written by hand for the music tests: chunks, variable-length deltas and a
// few notes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <vector>

namespace smf {

using Bytes = std::vector<std::uint8_t>;

inline void Append(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }

inline void Append32(Bytes& out, std::uint32_t v) {
  Append(out, {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
               static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

inline void VarLen(Bytes& out, std::uint32_t v) {
  std::uint8_t groups[4];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0 && n < 4);
  while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

// One track's events, each with its delta in ticks.
class Track {
 public:
  Track& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    VarLen(m_bytes, delta);
    Append(m_bytes, bytes);
    return *this;
  }
  Track& Tempo(std::uint32_t delta, std::uint32_t us_per_quarter) {
    return Event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(us_per_quarter >> 16),
                         static_cast<std::uint8_t>(us_per_quarter >> 8), static_cast<std::uint8_t>(us_per_quarter)});
  }
  Track& End(std::uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
  const Bytes& Data() const { return m_bytes; }

 private:
  Bytes m_bytes;
};

inline Bytes File(int format, std::uint16_t division, const std::vector<Track>& tracks) {
  Bytes out;
  Append(out, {'M', 'T', 'h', 'd'});
  Append32(out, 6);
  Append(out, {0, static_cast<std::uint8_t>(format), static_cast<std::uint8_t>(tracks.size() >> 8),
               static_cast<std::uint8_t>(tracks.size()), static_cast<std::uint8_t>(division >> 8),
               static_cast<std::uint8_t>(division)});
  for (const Track& t : tracks) {
    Append(out, {'M', 'T', 'r', 'k'});
    Append32(out, static_cast<std::uint32_t>(t.Data().size()));
    out.insert(out.end(), t.Data().begin(), t.Data().end());
  }
  return out;
}

// A format 0 song at 480 ticks a quarter and 120 beats a minute: a piano playing `notes` notes of
// `note_ms` each, one after the other, loud; the song ends as the last note does.
inline Bytes Melody(int notes, int note_ms) {
  const std::uint32_t ticks = static_cast<std::uint32_t>(note_ms) * 480 / 500;
  Track t;
  t.Tempo(0, 500'000).Event(0, {0xC0, 0x00});
  for (int i = 0; i < notes; ++i) {
    const std::uint8_t key = static_cast<std::uint8_t>(60 + (i * 4) % 12);
    t.Event(0, {0x90, key, 110}).Event(ticks, {0x80, key, 64});
  }
  t.End();
  return File(0, 480, {t});
}

inline void Write(const std::filesystem::path& path, const Bytes& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace smf
