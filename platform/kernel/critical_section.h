// The one lock type of the viewer.
#pragma once

#include <mutex>

class CCriticalSection {
 public:
  void Lock() { m_mutex.lock(); }
  void Unlock() { m_mutex.unlock(); }
  // Lets std::lock_guard hold it.
  void lock() { Lock(); }
  void unlock() { Unlock(); }

 private:
  std::mutex m_mutex;
};
