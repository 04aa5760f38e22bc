#include "platform/window/message_box.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/window/messages.h"

namespace {

std::mutex g_lock;
MessageBoxHandler g_handler;
std::vector<std::string> g_recorded;

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_handler = std::move(handler);
}

int MessageBoxW(HWND, std::string_view text, std::string_view caption, UINT type) {
  MessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    handler = g_handler;
    if (!handler) g_recorded.emplace_back(text);
  }
  // The handler runs outside the lock: a box waits for the user.
  if (handler) return handler(text, caption, type);
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  return IDOK;
}

std::vector<std::string> TakeShownMessages() {
  std::lock_guard<std::mutex> hold(g_lock);
  return std::exchange(g_recorded, {});
}
