// A media driver for tests: songs are names with a length, positions are set by the test, and
// every command is logged. Installed for the object's lifetime.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/media/media_driver.h"

class FakeMediaDriver final : public MediaDriver {
 public:
  struct Device {
    std::string path;
    DWORD length = 0;
    DWORD position = 0;
    bool playing = false;
  };

  FakeMediaDriver() { InstallMediaDriver(this); }
  ~FakeMediaDriver() override { InstallMediaDriver(nullptr); }
  FakeMediaDriver(const FakeMediaDriver&) = delete;
  FakeMediaDriver& operator=(const FakeMediaDriver&) = delete;

  MCIERROR OpenSong(const std::string& path, MCIDEVICEID& device) override {
    log.push_back("open " + path);
    auto file = files.find(path);
    if (file == files.end()) return MCIERR_FILE_NOT_FOUND;
    device = next_id++;
    devices[device] = Device{path, file->second, 0, false};
    return MMSYSERR_NOERROR;
  }
  MCIERROR Close(MCIDEVICEID device) override { return Logged("close", device, [&](auto it) { devices.erase(it); }); }
  MCIERROR Play(MCIDEVICEID device) override {
    return Logged("play", device, [](auto it) { it->second.playing = true; });
  }
  MCIERROR Stop(MCIDEVICEID device) override {
    return Logged("stop", device, [](auto it) { it->second.playing = false; });
  }
  MCIERROR Length(MCIDEVICEID device, DWORD& milliseconds) override {
    auto it = devices.find(device);
    if (it == devices.end()) return MCIERR_INVALID_DEVICE_ID;
    milliseconds = it->second.length;
    return MMSYSERR_NOERROR;
  }
  MCIERROR Position(MCIDEVICEID device, DWORD& milliseconds) override {
    auto it = devices.find(device);
    if (it == devices.end()) return MCIERR_INVALID_DEVICE_ID;
    milliseconds = it->second.position;
    return MMSYSERR_NOERROR;
  }

  // The commands that opened files, in order.
  std::vector<std::string> Opens() const {
    std::vector<std::string> out;
    for (const std::string& line : log) {
      if (line.rfind("open ", 0) == 0) out.push_back(line.substr(5));
    }
    return out;
  }

  std::map<std::string, DWORD> files;  // the songs that exist, with their lengths
  std::map<MCIDEVICEID, Device> devices;
  std::vector<std::string> log;
  MCIDEVICEID next_id = 1;

 private:
  template <class F>
  MCIERROR Logged(const char* what, MCIDEVICEID device, F&& act) {
    log.push_back(std::string(what) + " " + std::to_string(device));
    auto it = devices.find(device);
    if (it == devices.end()) return MCIERR_INVALID_DEVICE_ID;
    act(it);
    return MMSYSERR_NOERROR;
  }
};
