#include "music/music_player.h"

#include "app/viewer_state.h"
#include "platform/kernel/time.h"
#include "platform/media/mci.h"

// Results of the media commands are not examined: a failed open shows as device 0, and a failed
// status leaves the value at 0.

int SongIndexFor(int key_count) { return key_count != 0 && key_count < 10 ? 0 : 1; }

std::string SongPath(int index) {
  return (index == 0 ? std::string("./disco/") : std::string("./selected/")) + std::to_string(index) + ".mid";
}

MusicPlayer::~MusicPlayer() {
  if (m_music_device != 0) mciSendCommandW(m_music_device, MCI_CLOSE, 0);
}

void MusicPlayer::MusicStep(ViewerState& s) {
  if (s.m_music_start == 1) {
    m_music_index = SongIndexFor(s.m_key_count);
    m_music_path = SongPath(m_music_index);
    OpenAndPlaySong();
    m_open_failed[static_cast<std::size_t>(m_music_index)] = m_music_device == 0;
    s.m_music_start = 0;
  }
  // Only a position just read is compared with the length, so no song open means no restart.
  if (m_music_device != 0) {
    MCI_STATUS_PARMS status;
    status.dwItem = MCI_STATUS_POSITION;
    mciSendCommandW(m_music_device, MCI_STATUS, MCI_STATUS_ITEM, &status);
    m_music_position = static_cast<int>(status.dwReturn);
    if (m_music_position == m_music_length) {
      mciSendCommandW(m_music_device, MCI_STOP, 0);
      OpenAndPlaySong();
    }
  }
  RaiseStartRequest(s);
}

void MusicPlayer::OpenAndPlaySong() {
  if (m_music_device != 0) mciSendCommandW(m_music_device, MCI_CLOSE, 0);
  MCI_OPEN_PARMSW open;
  open.lpstrElementName = m_music_path.c_str();
  mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open);
  m_music_device = static_cast<WORD>(open.wDeviceID);
  MCI_STATUS_PARMS status;
  status.dwItem = MCI_STATUS_LENGTH;
  if (m_music_device != 0) mciSendCommandW(m_music_device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &status);
  m_music_length = static_cast<int>(status.dwReturn);
  MCI_PLAY_PARMS play;
  if (m_music_device != 0) mciSendCommandW(m_music_device, MCI_PLAY, 0, &play);
}

// A request raised here is taken up on the next poll, so a picture change in between (the
// renderer clears m_music_start) still cancels it.
void MusicPlayer::RaiseStartRequest(ViewerState& s) {
  const DWORD now = GetTickCount();
  const int folder = s.m_folder;
  const int picture = s.m_picture;
  if (folder != m_seen_folder || picture != m_seen_picture) {
    m_seen_folder = folder;
    m_seen_picture = picture;
    m_seen_since = now;
    m_requested_index = -1;
  }
  const int wanted = SongIndexFor(s.m_key_count);
  const int playing = m_music_device != 0 ? m_music_index : -1;
  if (wanted == playing) return;
  // With nothing playing there is no song to keep: ask at every poll until a request is taken
  // up, so a cancelled one (the picture changed first) is asked again at once.
  if (playing == -1 && !m_open_failed[static_cast<std::size_t>(wanted)]) {
    m_requested_index = wanted;
    s.m_music_start = 1;
    return;
  }
  // A song playing gives way, and a song that could not be opened is tried again, only for a
  // picture that has stayed in view; once per picture and song, not at every poll.
  if (now - m_seen_since < kSongSwitchDelayMs || wanted == m_requested_index) return;
  m_requested_index = wanted;
  s.m_music_start = 1;
}
