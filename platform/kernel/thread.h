// Worker threads started in the manner of the application framework.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/types.h"

class CWinThread {
 public:
  explicit CWinThread(std::function<UINT()> body);
  ~CWinThread();  // joins a thread that is still running
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Waits without time-out until the thread procedure has returned.
  void Join();
  bool Joinable() const { return m_thread.joinable(); }

 private:
  std::thread m_thread;
};

// Starts `proc(param)` on a new thread at once; the pointer owns the thread.
template <class T>
std::unique_ptr<CWinThread> AfxBeginThread(UINT (*proc)(T*), T* param) {
  return std::make_unique<CWinThread>([proc, param] { return proc(param); });
}
