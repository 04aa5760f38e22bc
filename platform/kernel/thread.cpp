#include "platform/kernel/thread.h"

CWinThread::CWinThread(std::function<UINT()> body) : m_thread([body = std::move(body)] { body(); }) {}

CWinThread::~CWinThread() { Join(); }

void CWinThread::Join() {
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}
