#include "platform/media/mci.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/media/media_driver.h"
#include "platform/media/synth_driver.h"

namespace {

std::atomic<MediaDriver*> g_installed{nullptr};
// Commands are carried out one at a time, whichever thread sends them.
std::mutex g_command_lock;

MediaDriver& Driver() {
  if (MediaDriver* driver = g_installed.load(std::memory_order_acquire)) return *driver;
  // Built on first use and destroyed at exit, after the worker threads have ended.
  static const std::unique_ptr<MediaDriver> synthesizer = CreateSynthMediaDriver();
  return *synthesizer;
}

bool IsMidiFileName(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return false;
  std::string extension(path.substr(dot));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".mid" || extension == ".midi";
}

}  // namespace

void InstallMediaDriver(MediaDriver* driver) {
  std::lock_guard<std::mutex> hold(g_command_lock);
  g_installed.store(driver, std::memory_order_release);
}

MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_OPEN_PARMSW* parms) {
  if (message != MCI_OPEN) return MCIERR_UNRECOGNIZED_COMMAND;
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  parms->wDeviceID = 0;
  // Only a file opened by name is supported: no device type, no alias, no notification.
  if ((flags & ~(MCI_OPEN_ELEMENT | MCI_WAIT)) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  if ((flags & MCI_OPEN_ELEMENT) == 0 || !parms->lpstrElementName) return MCIERR_MISSING_PARAMETER;
  const std::string path = parms->lpstrElementName;
  if (!IsMidiFileName(path)) return MCIERR_EXTENSION_NOT_FOUND;
  std::lock_guard<std::mutex> hold(g_command_lock);
  MCIDEVICEID opened = 0;
  const MCIERROR result = Driver().OpenSong(path, opened);
  if (result == MMSYSERR_NOERROR) parms->wDeviceID = opened;
  return result;
}

MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_PLAY_PARMS* parms) {
  if (message != MCI_PLAY) return MCIERR_UNRECOGNIZED_COMMAND;
  if (device == 0) return MCIERR_INVALID_DEVICE_ID;
  if (flags != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  std::lock_guard<std::mutex> hold(g_command_lock);
  return Driver().Play(device);
}

MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_STATUS_PARMS* parms) {
  if (message != MCI_STATUS) return MCIERR_UNRECOGNIZED_COMMAND;
  if (device == 0) return MCIERR_INVALID_DEVICE_ID;
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & ~(MCI_STATUS_ITEM | MCI_WAIT)) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  if ((flags & MCI_STATUS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
  if (parms->dwItem != MCI_STATUS_LENGTH && parms->dwItem != MCI_STATUS_POSITION) {
    return MCIERR_UNSUPPORTED_FUNCTION;
  }
  std::lock_guard<std::mutex> hold(g_command_lock);
  DWORD value = 0;
  const MCIERROR result = parms->dwItem == MCI_STATUS_LENGTH ? Driver().Length(device, value)
                                                              : Driver().Position(device, value);
  if (result == MMSYSERR_NOERROR) parms->dwReturn = value;
  return result;
}

MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD flags, MCI_GENERIC_PARMS* parms) {
  if (message != MCI_CLOSE && message != MCI_STOP) return MCIERR_UNRECOGNIZED_COMMAND;
  if (device == 0) return MCIERR_INVALID_DEVICE_ID;
  if ((flags & ~MCI_WAIT) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  std::lock_guard<std::mutex> hold(g_command_lock);
  return message == MCI_CLOSE ? Driver().Close(device) : Driver().Stop(device);
}
