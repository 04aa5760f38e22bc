#include "platform/media/midi_file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kDefaultTempo = 500'000;  // microseconds per quarter note

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  bool AtEnd() const { return m_at >= m_bytes.size(); }
  std::size_t Left() const { return m_bytes.size() - m_at; }

  bool Byte(std::uint8_t& out) {
    if (AtEnd()) return false;
    out = m_bytes[m_at++];
    return true;
  }
  bool BigEndian(int count, std::uint32_t& out) {
    if (Left() < static_cast<std::size_t>(count)) return false;
    out = 0;
    for (int i = 0; i < count; ++i) out = (out << 8) | m_bytes[m_at++];
    return true;
  }
  // A variable-length quantity: at most four bytes of seven bits each.
  bool VarLen(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b = 0;
      if (!Byte(b)) return false;
      out = (out << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool Tag(const char (&tag)[5]) {
    if (Left() < 4 || std::memcmp(m_bytes.data() + m_at, tag, 4) != 0) return false;
    m_at += 4;
    return true;
  }
  std::span<const std::uint8_t> Take(std::size_t count) {
    std::span<const std::uint8_t> part = m_bytes.subspan(m_at, count);
    m_at += count;
    return part;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_at = 0;
};

// An event placed by its tick; tempo events are kept apart until times are known.
struct TickEvent {
  std::uint64_t tick = 0;
  int track = 0;
  std::uint32_t tempo = 0;  // non-zero for a tempo change
  MidiEvent event;
};

// a * b / c without overflow in the product; saturates at the largest value.
std::uint64_t MulDiv(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  __extension__ using Wide = unsigned __int128;
  const Wide q = static_cast<Wide>(a) * b / c;
  return q > ~std::uint64_t{0} ? ~std::uint64_t{0} : static_cast<std::uint64_t>(q);
}

int DataBytes(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one track chunk's events; false when it is malformed.
bool ReadTrack(std::span<const std::uint8_t> chunk, int track, std::vector<TickEvent>& out,
               std::uint64_t& end_tick) {
  Reader r(chunk);
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (!r.AtEnd()) {
    std::uint32_t delta = 0;
    if (!r.VarLen(delta)) return false;
    tick += delta;
    std::uint8_t status = 0;
    if (!r.Byte(status)) return false;
    TickEvent e;
    e.tick = tick;
    e.track = track;
    if (status < 0x80) {
      // Running status: this byte is the first data byte of a message like the last one.
      if (running == 0) return false;
      e.event.status = running;
      e.event.data1 = status;
      if (DataBytes(running) == 2 && (!r.Byte(e.event.data2) || e.event.data2 >= 0x80)) return false;
      out.push_back(std::move(e));
    } else if (status < 0xF0) {
      running = status;
      e.event.status = status;
      if (!r.Byte(e.event.data1) || e.event.data1 >= 0x80) return false;
      if (DataBytes(status) == 2 && (!r.Byte(e.event.data2) || e.event.data2 >= 0x80)) return false;
      out.push_back(std::move(e));
    } else if (status == 0xF0 || status == 0xF7) {
      running = 0;
      std::uint32_t length = 0;
      if (!r.VarLen(length) || length > r.Left()) return false;
      std::span<const std::uint8_t> data = r.Take(length);
      // An F7 packet continues or escapes a message; only whole F0 messages are sent.
      if (status == 0xF0) {
        e.event.status = 0xF0;
        e.event.sysex.assign(data.begin(), data.end());
        if (!e.event.sysex.empty() && e.event.sysex.back() == 0xF7) e.event.sysex.pop_back();
        out.push_back(std::move(e));
      }
    } else if (status == 0xFF) {
      running = 0;
      std::uint8_t type = 0;
      std::uint32_t length = 0;
      if (!r.Byte(type) || !r.VarLen(length) || length > r.Left()) return false;
      std::span<const std::uint8_t> data = r.Take(length);
      if (type == 0x2F) break;
      if (type == 0x51 && length == 3) {
        e.tempo = (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
        if (e.tempo != 0) out.push_back(std::move(e));
      }
    } else {
      return false;  // real-time and common messages have no place in a file
    }
  }
  // A track without its end-of-track event ends with its last event.
  end_tick = tick;
  return true;
}

}  // namespace

std::optional<MidiSong> ParseMidiFile(std::span<const std::uint8_t> file) {
  Reader r(file);
  std::uint32_t header_length = 0, format = 0, tracks = 0, division = 0;
  if (!r.Tag("MThd") || !r.BigEndian(4, header_length) || header_length < 6 || header_length > r.Left()) {
    return std::nullopt;
  }
  Reader header(r.Take(header_length));
  if (!header.BigEndian(2, format) || !header.BigEndian(2, tracks) || !header.BigEndian(2, division)) {
    return std::nullopt;
  }
  if (format > 1 || tracks == 0 || (format == 0 && tracks != 1) || division == 0) return std::nullopt;

  // Microseconds per tick: from the tempo for a division in quarter notes, fixed for SMPTE frames.
  const bool smpte = (division & 0x8000) != 0;
  std::uint64_t us_per_tick_num = 0, us_per_tick_den = 1;
  if (smpte) {
    const int fps = 256 - static_cast<int>(division >> 8);  // stored as a negative byte
    const std::uint64_t per_frame = division & 0xFF;
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || per_frame == 0) return std::nullopt;
    // 29 stands for 29.97 frames a second.
    us_per_tick_num = fps == 29 ? 100'000'000 : 1'000'000;
    us_per_tick_den = (fps == 29 ? 2'997 : static_cast<std::uint64_t>(fps)) * per_frame;
  }

  std::vector<TickEvent> all;
  std::uint64_t end_tick = 0;
  int read = 0;
  while (read < static_cast<int>(tracks) && !r.AtEnd()) {
    const bool is_track = r.Tag("MTrk");
    if (!is_track && r.Left() >= 4) r.Take(4);
    std::uint32_t length = 0;
    if (!r.BigEndian(4, length) || length > r.Left()) return std::nullopt;
    std::span<const std::uint8_t> chunk = r.Take(length);
    if (!is_track) continue;  // chunks of unknown types are skipped
    std::uint64_t track_end = 0;
    if (!ReadTrack(chunk, read, all, track_end)) return std::nullopt;
    end_tick = std::max(end_tick, track_end);
    ++read;
  }
  if (read != static_cast<int>(tracks)) return std::nullopt;

  std::stable_sort(all.begin(), all.end(), [](const TickEvent& a, const TickEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
  });

  // Times from ticks: each tempo change starts a new segment at the time reached so far.
  const std::uint64_t ppq = division;
  std::uint64_t tempo = kDefaultTempo;
  std::uint64_t base_tick = 0, base_us = 0;
  auto time_at = [&](std::uint64_t tick) {
    if (smpte) return MulDiv(tick, us_per_tick_num, us_per_tick_den);
    const std::uint64_t more = MulDiv(tick - base_tick, tempo, ppq);
    return more > ~base_us ? ~std::uint64_t{0} : base_us + more;
  };
  MidiSong song;
  song.events.reserve(all.size());
  for (TickEvent& e : all) {
    const std::uint64_t at = time_at(e.tick);
    if (e.tempo != 0) {
      if (!smpte) {
        base_us = at;
        base_tick = e.tick;
        tempo = e.tempo;
      }
      continue;
    }
    e.event.time_us = at;
    song.events.push_back(std::move(e.event));
  }
  song.length_us = time_at(end_tick);
  return song;
}

std::uint32_t SongLengthMs(const MidiSong& song) {
  const std::uint64_t ms = song.length_us / 1000 + (song.length_us % 1000 != 0 ? 1 : 0);
  return ms > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(ms);
}
