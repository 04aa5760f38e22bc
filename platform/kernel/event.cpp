#include "platform/kernel/event.h"

#include <chrono>

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_signalled = true;
  }
  m_changed.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_signalled = false;
}

bool AutoResetEvent::Wait(DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_lock);
  auto signalled = [this] { return m_signalled; };
  if (timeout_ms == INFINITE) {
    m_changed.wait(hold, signalled);
  } else if (!m_changed.wait_for(hold, std::chrono::milliseconds(timeout_ms), signalled)) {
    return false;
  }
  m_signalled = false;
  return true;
}

HEVENT CreateEventW(const std::string& name) { return std::make_unique<AutoResetEvent>(name); }

BOOL SetEvent(const HEVENT& event) {
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL ResetEvent(const HEVENT& event) {
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WaitForSingleObject(const HEVENT& event, DWORD timeout_ms) {
  if (!event) return WAIT_FAILED;
  return event->Wait(timeout_ms) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
