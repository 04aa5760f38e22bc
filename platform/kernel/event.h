// Auto-reset events with the kernel's calls: a wait that succeeds consumes the signal.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "platform/types.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

class AutoResetEvent {
 public:
  explicit AutoResetEvent(std::string name) : m_name(std::move(name)) {}

  const std::string& Name() const { return m_name; }

  void Set();
  void Reset();
  // True when the event was signalled within `timeout_ms` (0 = poll); the signal is consumed.
  bool Wait(DWORD timeout_ms);

 private:
  std::string m_name;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_signalled = false;
};

using HEVENT = std::unique_ptr<AutoResetEvent>;

// Creates an unsignalled auto-reset event. The name is kept for diagnostics only: nothing
// outside this process can open it.
HEVENT CreateEventW(const std::string& name);
BOOL SetEvent(const HEVENT& event);
BOOL ResetEvent(const HEVENT& event);
// WAIT_OBJECT_0 when signalled (and now reset), WAIT_TIMEOUT otherwise; a missing event fails.
DWORD WaitForSingleObject(const HEVENT& event, DWORD timeout_ms);
