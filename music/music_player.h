// The music thread's work: play the song the picture in view calls for and repeat it without end.
//
// The disco song ./disco/0.mid goes with a picture whose recorded path has 1 to 9 key frames, the
// selected song ./selected/1.mid with any other. The songs come from the user; without them
// nothing plays. The player is the music thread's own: only that thread touches its fields.
#pragma once

#include <array>
#include <string>

#include "platform/types.h"

struct ViewerState;

// The song a picture with `key_count` recorded key frames calls for: 0 (disco) or 1 (selected).
int SongIndexFor(int key_count);
// "./disco/0.mid" for index 0, "./selected/1.mid" for index 1.
std::string SongPath(int index);

// A picture must stay in view this long before it may change the song that plays, or try again a
// song that could not be opened.
constexpr DWORD kSongSwitchDelayMs = 3000;

class MusicPlayer {
 public:
  MusicPlayer() = default;
  // Closes the open song, so that nothing plays once the thread has ended.
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // One 50-millisecond poll: takes up a start request (m_music_start), restarts a song that has
  // reached its end, then raises a request: at once while no song plays (unless the song called
  // for could not be opened), or when a picture that has stayed in view for kSongSwitchDelayMs
  // calls for a song other than the one playing.
  void MusicStep(ViewerState& s);
  // Closes the open song, opens m_music_path, reads its length and plays it from its start.
  void OpenAndPlaySong();

  int m_music_index = 0;
  std::string m_music_path;
  WORD m_music_device = 0;  // 0 while no song is open
  int m_music_length = 0;   // milliseconds
  int m_music_position = 0;

 private:
  void RaiseStartRequest(ViewerState& s);

  // The picture in view as the last poll saw it (none before the first), since when, and the song
  // last requested for it.
  int m_seen_folder = -1;
  int m_seen_picture = 0;
  DWORD m_seen_since = 0;
  int m_requested_index = -1;
  // Per song: its last open left no device (missing or unreadable file, no audio).
  std::array<bool, 2> m_open_failed{};
};
