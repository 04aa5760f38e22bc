// Standard MIDI files (formats 0 and 1) read into one time-ordered list of events.
// Every read is bounds-checked, so any bytes are safe input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct MidiEvent {
  std::uint64_t time_us = 0;  // from the start of the song
  std::uint8_t status = 0;    // a channel message's status byte, or 0xF0 for a system-exclusive one
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
  std::vector<std::uint8_t> sysex;  // a system-exclusive message's bytes, without F0 and F7
};

struct MidiSong {
  std::vector<MidiEvent> events;  // ordered by time; equal times keep track order
  std::uint64_t length_us = 0;    // when the last track ends (its end-of-track event)
};

// The song a file holds, or nothing for bytes that are not a format 0 or 1 MIDI file or are cut
// short. Tempo changes in any track apply to all tracks; meta events other than tempo and end of
// track are dropped.
[[nodiscard]] std::optional<MidiSong> ParseMidiFile(std::span<const std::uint8_t> file);

// The song's length in whole milliseconds, rounded up so that every event falls within it.
std::uint32_t SongLengthMs(const MidiSong& song);
