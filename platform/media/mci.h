// The desktop API's media control commands, for MIDI songs: open a file, ask its length and
// position in milliseconds, play, stop and close. Each command has its own typed parameter block.
//
// The commands go to a process-wide MediaDriver (media_driver.h): by default the synthesizer
// (FluidSynth with a General MIDI SoundFont, heard through SDL's audio device); tests install a
// fake one. Any thread may send commands; they are carried out one at a time.
#pragma once

#include <cstdint>

#include "platform/types.h"

using DWORD_PTR = std::uintptr_t;
using MCIDEVICEID = UINT;
using MCIERROR = DWORD;

// Commands.
constexpr UINT MCI_OPEN = 0x0803;
constexpr UINT MCI_CLOSE = 0x0804;
constexpr UINT MCI_PLAY = 0x0806;
constexpr UINT MCI_STOP = 0x0808;
constexpr UINT MCI_STATUS = 0x0814;

// Flags.
constexpr DWORD MCI_NOTIFY = 0x00000001;
constexpr DWORD MCI_WAIT = 0x00000002;
constexpr DWORD MCI_FROM = 0x00000004;
constexpr DWORD MCI_TO = 0x00000008;
constexpr DWORD MCI_STATUS_ITEM = 0x00000100;
constexpr DWORD MCI_OPEN_ELEMENT = 0x00000200;

// Status items.
constexpr DWORD MCI_STATUS_LENGTH = 1;
constexpr DWORD MCI_STATUS_POSITION = 2;

// Results: 0 is success.
constexpr MCIERROR MMSYSERR_NOERROR = 0;
constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 25;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = MCIERR_BASE + 41;

// Parameter blocks. Paths are UTF-8, like every path of the viewer.
struct MCI_GENERIC_PARMS {
  DWORD_PTR dwCallback = 0;
};

struct MCI_OPEN_PARMSW {
  DWORD_PTR dwCallback = 0;
  MCIDEVICEID wDeviceID = 0;  // set by the open: the new device, 0 when the open fails
  const char* lpstrDeviceType = nullptr;
  const char* lpstrElementName = nullptr;
  const char* lpstrAlias = nullptr;
};

struct MCI_PLAY_PARMS {
  DWORD_PTR dwCallback = 0;
  DWORD dwFrom = 0;
  DWORD dwTo = 0;
};

struct MCI_STATUS_PARMS {
  DWORD_PTR dwCallback = 0;
  DWORD_PTR dwReturn = 0;  // set by the status request
  DWORD dwItem = 0;
  DWORD dwTrack = 0;
};

// open: MCI_OPEN_ELEMENT (and optionally MCI_WAIT) with the file as element name; no device type,
// so the device comes from the extension: ".mid" and ".midi" open the MIDI sequencer.
MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_OPEN_PARMSW* parms);
// play: from the current position, without waiting; no flag is supported.
MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_PLAY_PARMS* parms);
// status: MCI_STATUS_ITEM (and optionally MCI_WAIT), item length or position, in milliseconds.
MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_STATUS_PARMS* parms);
// close and stop, which take no parameters.
MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_GENERIC_PARMS* parms = nullptr);
