// What carries out the media control commands once mciSendCommandW has checked them: one
// implementation plays songs through the synthesizer, tests install fakes.
#pragma once

#include <string>

#include "platform/media/mci.h"

class MediaDriver {
 public:
  virtual ~MediaDriver() = default;
  // Opens a song file; `device` gets its id, never 0, on success.
  virtual MCIERROR OpenSong(const std::string& path, MCIDEVICEID& device) = 0;
  virtual MCIERROR Close(MCIDEVICEID device) = 0;
  // Plays from the current position; a song at its end stays there.
  virtual MCIERROR Play(MCIDEVICEID device) = 0;
  // Stops and keeps the position.
  virtual MCIERROR Stop(MCIDEVICEID device) = 0;
  virtual MCIERROR Length(MCIDEVICEID device, DWORD& milliseconds) = 0;
  // Equals the length once the song has played to its end.
  virtual MCIERROR Position(MCIDEVICEID device, DWORD& milliseconds) = 0;
};

// Sends the commands of every thread to `driver` from now on; null restores the synthesizer.
// The caller keeps `driver` alive while it is installed.
void InstallMediaDriver(MediaDriver* driver);
