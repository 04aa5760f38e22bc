#include "platform/kernel/time.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<const TickSource*> g_tick_source{nullptr};
}

DWORD GetTickCount() {
  if (const TickSource* source = g_tick_source.load(std::memory_order_acquire)) return source->Now();
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void InstallTickSource(const TickSource* source) { g_tick_source.store(source, std::memory_order_release); }
