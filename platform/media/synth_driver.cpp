#include "platform/media/synth_driver.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/midi_file.h"
#include "platform/media/sdl_thread_data.h"
#include "platform/media/song_cursor.h"

namespace {

// Larger files are not taken for songs (a MIDI file of an hour is well under a megabyte).
constexpr std::uintmax_t kMaxSongFileBytes = 64u << 20;
// Frames rendered per piece; also SDL's buffer size (about 23 ms at 44.1 kHz).
constexpr int kPieceFrames = 1024;
constexpr double kSynthGain = 0.5;

// SDL counts subsystem starts without a lock of its own: every driver starts and ends audio under this one.
std::mutex g_sdl_audio_lock;

enum class Cause { kUnreadableFile, kEmptyFile, kCorruptFile, kNoSoundFont, kNoAudio, kCount };

struct Song {
  explicit Song(MidiSong parsed) : song(std::move(parsed)), cursor(song, kSynthSampleRate) {}
  MidiSong song;
  SongCursor cursor;  // refers to `song`: a Song never moves
};

class SynthMediaDriver final : public MediaDriver {
 public:
  explicit SynthMediaDriver(std::vector<std::string> soundfonts) : m_soundfonts(std::move(soundfonts)) {}
  ~SynthMediaDriver() override;

  MCIERROR OpenSong(const std::string& path, MCIDEVICEID& device) override;
  MCIERROR Close(MCIDEVICEID device) override;
  MCIERROR Play(MCIDEVICEID device) override;
  MCIERROR Stop(MCIDEVICEID device) override;
  MCIERROR Length(MCIDEVICEID device, DWORD& milliseconds) override;
  MCIERROR Position(MCIDEVICEID device, DWORD& milliseconds) override;

 private:
  // Keeps the audio thread out while the songs or the synthesizer change.
  class AudioLock {
   public:
    explicit AudioLock(SDL_AudioDeviceID audio) : m_audio(audio) {
      if (m_audio != 0) SDL_LockAudioDevice(m_audio);
    }
    ~AudioLock() {
      if (m_audio != 0) SDL_UnlockAudioDevice(m_audio);
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

   private:
    SDL_AudioDeviceID m_audio;
  };

  std::optional<MidiSong> ReadSong(const std::string& path);
  bool StartSynth();
  bool StartAudio();
  void Report(Cause cause, const std::string& line);
  Song* Find(MCIDEVICEID device);
  // Silences `song` if it is the one sounding; call under the audio lock.
  void Silence(Song* song);
  // Pauses the device while no song sounds, so an idle synthesizer costs nothing.
  void PauseWhenIdle();

  static void AudioCallback(void* self, Uint8* stream, int bytes);
  void Render(std::int16_t* out, int frames);
  void Send(const MidiEvent& event);

  std::vector<std::string> m_soundfonts;
  std::array<bool, static_cast<int>(Cause::kCount)> m_reported{};

  fluid_settings_t* m_settings = nullptr;
  fluid_synth_t* m_synth = nullptr;
  bool m_sdl_audio = false;  // this driver holds SDL's audio subsystem
  SDL_AudioDeviceID m_audio = 0;
  bool m_audio_paused = true;

  std::map<MCIDEVICEID, std::unique_ptr<Song>> m_songs;
  MCIDEVICEID m_last_id = 0;
  // The song the audio thread plays, or null; changed under the audio lock.
  Song* m_sounding = nullptr;
  std::vector<float> m_piece = std::vector<float>(kPieceFrames * kSynthChannels);
};

SynthMediaDriver::~SynthMediaDriver() {
  // Closing the device ends the audio thread, so nothing renders after this.
  if (m_audio != 0) SDL_CloseAudioDevice(m_audio);
  m_sounding = nullptr;
  m_songs.clear();
  if (m_synth) delete_fluid_synth(m_synth);
  if (m_settings) delete_fluid_settings(m_settings);
  if (m_sdl_audio) {
    std::lock_guard<std::mutex> hold(g_sdl_audio_lock);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

void SynthMediaDriver::Report(Cause cause, const std::string& line) {
  bool& reported = m_reported[static_cast<int>(cause)];
  if (reported) return;
  reported = true;
  std::fprintf(stderr, "quenmira: music: %s\n", line.c_str());
}

std::optional<MidiSong> SynthMediaDriver::ReadSong(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) {
    Report(Cause::kUnreadableFile, "cannot read the song " + path);
    return std::nullopt;
  }
  if (size == 0) {
    Report(Cause::kEmptyFile, "the song " + path + " is empty");
    return std::nullopt;
  }
  std::optional<MidiSong> song;
  if (size <= kMaxSongFileBytes) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() == static_cast<std::streamsize>(bytes.size())) song = ParseMidiFile(bytes);
  }
  // A song of no length would end as it starts; one longer than the positions can count is refused.
  if (!song || song->length_us == 0 || SongLengthMs(*song) > static_cast<std::uint32_t>(INT_MAX)) {
    Report(Cause::kCorruptFile, "the song " + path + " is not a MIDI file that can be played");
    return std::nullopt;
  }
  return song;
}

bool SynthMediaDriver::StartSynth() {
  if (m_synth) return true;
  // The driver reports its own failures; FluidSynth's messages would repeat them.
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  const auto found = std::find_if(m_soundfonts.begin(), m_soundfonts.end(), [](const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  });
  if (found == m_soundfonts.end()) {
    Report(Cause::kNoSoundFont, "no General MIDI SoundFont (install timgm6mb-soundfont)");
    return false;
  }
  m_settings = new_fluid_settings();
  if (m_settings) {
    fluid_settings_setnum(m_settings, "synth.sample-rate", kSynthSampleRate);
    // FluidSynth's default gain of 0.2 leaves a General MIDI song some 25 dB below full scale.
    fluid_settings_setnum(m_settings, "synth.gain", kSynthGain);
  }
  m_synth = m_settings ? new_fluid_synth(m_settings) : nullptr;
  if (!m_synth || fluid_synth_sfload(m_synth, found->c_str(), 1) == FLUID_FAILED) {
    Report(Cause::kNoSoundFont, "cannot load the SoundFont " + *found);
    if (m_synth) delete_fluid_synth(m_synth);
    if (m_settings) delete_fluid_settings(m_settings);
    m_synth = nullptr;
    m_settings = nullptr;
    return false;
  }
  return true;
}

bool SynthMediaDriver::StartAudio() {
  if (m_audio != 0) return true;
  FreeSdlThreadDataAtThreadEnd();
  if (!m_sdl_audio) {
    std::lock_guard<std::mutex> hold(g_sdl_audio_lock);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      Report(Cause::kNoAudio, std::string("no audio: ") + SDL_GetError());
      return false;
    }
    m_sdl_audio = true;
  }
  SDL_AudioSpec want{};
  want.freq = kSynthSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = kSynthChannels;
  want.samples = kPieceFrames;
  want.callback = &SynthMediaDriver::AudioCallback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the device takes.
  m_audio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (m_audio == 0) {
    Report(Cause::kNoAudio, std::string("no audio device: ") + SDL_GetError());
    return false;
  }
  m_audio_paused = true;
  return true;
}

MCIERROR SynthMediaDriver::OpenSong(const std::string& path, MCIDEVICEID& device) {
  // No song file is the usual case (the user brings the songs) and goes unmentioned; one that is
  // there but cannot be played is reported.
  std::error_code error;
  if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found) {
    return MCIERR_FILE_NOT_FOUND;
  }
  std::optional<MidiSong> parsed = ReadSong(path);
  if (!parsed) return MCIERR_INVALID_FILE;
  if (!StartSynth() || !StartAudio()) return MCIERR_HARDWARE;
  // Ids go round 1 to 65535, skipping those still open.
  MCIDEVICEID id = m_last_id;
  do {
    id = id >= 0xFFFF ? 1 : id + 1;
  } while (m_songs.count(id) != 0 && id != m_last_id);
  if (m_songs.count(id) != 0) return MCIERR_HARDWARE;
  auto song = std::make_unique<Song>(std::move(*parsed));
  {
    AudioLock hold(m_audio);
    m_songs.emplace(id, std::move(song));
  }
  m_last_id = id;
  device = id;
  return MMSYSERR_NOERROR;
}

Song* SynthMediaDriver::Find(MCIDEVICEID device) {
  auto it = m_songs.find(device);
  return it == m_songs.end() ? nullptr : it->second.get();
}

void SynthMediaDriver::Silence(Song* song) {
  if (m_sounding != song || !song) return;
  m_sounding = nullptr;
  fluid_synth_all_sounds_off(m_synth, -1);
}

void SynthMediaDriver::PauseWhenIdle() {
  if (m_sounding || m_audio_paused || m_audio == 0) return;
  SDL_PauseAudioDevice(m_audio, 1);
  m_audio_paused = true;
}

MCIERROR SynthMediaDriver::Close(MCIDEVICEID device) {
  Song* song = Find(device);
  if (!song) return MCIERR_INVALID_DEVICE_ID;
  {
    AudioLock hold(m_audio);
    Silence(song);
    m_songs.erase(device);
  }
  PauseWhenIdle();
  return MMSYSERR_NOERROR;
}

MCIERROR SynthMediaDriver::Play(MCIDEVICEID device) {
  Song* song = Find(device);
  if (!song) return MCIERR_INVALID_DEVICE_ID;
  {
    AudioLock hold(m_audio);
    if (m_sounding != song) {
      // One song sounds at a time, as on the one MIDI sequencer.
      fluid_synth_all_sounds_off(m_synth, -1);
      // From its start a song finds the synthesizer as a new one: default programs and controllers.
      if (song->cursor.Frame() == 0) fluid_synth_system_reset(m_synth);
      m_sounding = song;
    }
  }
  if (m_audio_paused) {
    SDL_PauseAudioDevice(m_audio, 0);
    m_audio_paused = false;
  }
  return MMSYSERR_NOERROR;
}

MCIERROR SynthMediaDriver::Stop(MCIDEVICEID device) {
  Song* song = Find(device);
  if (!song) return MCIERR_INVALID_DEVICE_ID;
  {
    AudioLock hold(m_audio);
    Silence(song);
  }
  PauseWhenIdle();
  return MMSYSERR_NOERROR;
}

MCIERROR SynthMediaDriver::Length(MCIDEVICEID device, DWORD& milliseconds) {
  Song* song = Find(device);
  if (!song) return MCIERR_INVALID_DEVICE_ID;
  milliseconds = SongLengthMs(song->song);
  return MMSYSERR_NOERROR;
}

MCIERROR SynthMediaDriver::Position(MCIDEVICEID device, DWORD& milliseconds) {
  Song* song = Find(device);
  if (!song) return MCIERR_INVALID_DEVICE_ID;
  AudioLock hold(m_audio);
  milliseconds = song->cursor.PositionMs();
  return MMSYSERR_NOERROR;
}

void SynthMediaDriver::AudioCallback(void* self, Uint8* stream, int bytes) {
  auto* driver = static_cast<SynthMediaDriver*>(self);
  const int frame_bytes = static_cast<int>(sizeof(std::int16_t)) * kSynthChannels;
  driver->Render(reinterpret_cast<std::int16_t*>(stream), bytes / frame_bytes);
}

void SynthMediaDriver::Send(const MidiEvent& e) {
  const int channel = e.status & 0x0F;
  switch (e.status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(m_synth, channel, e.data1);
      break;
    case 0x90:
      if (e.data2 == 0) {
        fluid_synth_noteoff(m_synth, channel, e.data1);  // a note-on of velocity 0 ends the note
      } else {
        fluid_synth_noteon(m_synth, channel, e.data1, e.data2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(m_synth, channel, e.data1, e.data2);
      break;
    case 0xB0:
      fluid_synth_cc(m_synth, channel, e.data1, e.data2);
      break;
    case 0xC0:
      fluid_synth_program_change(m_synth, channel, e.data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(m_synth, channel, e.data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(m_synth, channel, e.data1 | (e.data2 << 7));
      break;
    case 0xF0:
      if (!e.sysex.empty()) {
        fluid_synth_sysex(m_synth, reinterpret_cast<const char*>(e.sysex.data()), static_cast<int>(e.sysex.size()),
                          nullptr, nullptr, nullptr, 0);
      }
      break;
    default:
      break;
  }
}

// On the audio thread, which SDL holds the audio lock for.
void SynthMediaDriver::Render(std::int16_t* out, int frames) {
  while (frames > 0) {
    int piece = std::min(frames, kPieceFrames);
    if (m_sounding) {
      m_sounding->cursor.SendDue([this](const MidiEvent& e) { Send(e); });
      piece = m_sounding->cursor.FramesToNext(piece);
    }
    fluid_synth_write_float(m_synth, piece, m_piece.data(), 0, kSynthChannels, m_piece.data(), 1, kSynthChannels);
    if (m_sounding) m_sounding->cursor.Advance(piece);
    const int samples = piece * kSynthChannels;
    for (int i = 0; i < samples; ++i) {
      const float v = std::clamp(m_piece[static_cast<std::size_t>(i)], -1.0f, 1.0f);
      out[i] = static_cast<std::int16_t>(v * 32767.0f);
    }
    out += samples;
    frames -= piece;
  }
}

}  // namespace

std::vector<std::string> DefaultSoundFonts() {
  return {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
}

std::unique_ptr<MediaDriver> CreateSynthMediaDriver(std::vector<std::string> soundfonts) {
  return std::make_unique<SynthMediaDriver>(std::move(soundfonts));
}
