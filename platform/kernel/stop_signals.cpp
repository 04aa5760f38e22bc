#include "platform/kernel/stop_signals.h"

#include <signal.h>

#include <atomic>

namespace {

std::atomic<int> g_stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void NoteStopSignal(int signal_number) { g_stop_signal.store(signal_number); }

void SetAction(int signal_number, void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
}

}  // namespace

void InstallStopSignalHandlers() {
  // SA_RESTART: the worker threads' sleeps and file calls go on undisturbed.
  for (int signal_number : {SIGINT, SIGTERM}) SetAction(signal_number, &NoteStopSignal, SA_RESTART | SA_RESETHAND);
}

void RestoreDefaultStopSignals() {
  for (int signal_number : {SIGINT, SIGTERM}) SetAction(signal_number, SIG_DFL, 0);
  g_stop_signal.store(0);
}

int TakeStopSignal() { return g_stop_signal.exchange(0); }
