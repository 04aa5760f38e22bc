// A headless window and a fresh working folder for one test: the dialog under test sees a
// screen of the chosen size and an album in an empty temporary directory.
#pragma once

#include <filesystem>
#include <string>

#include "platform/window/headless/headless_backend.h"

class HeadlessSession {
 public:
  // Installs a headless backend of `width` x `height`, makes and enters a temporary folder.
  HeadlessSession(int width = 1280, int height = 800);
  ~HeadlessSession();
  HeadlessSession(const HeadlessSession&) = delete;
  HeadlessSession& operator=(const HeadlessSession&) = delete;

  HeadlessBackend& Backend() { return *m_backend; }
  const std::filesystem::path& Folder() const { return m_folder; }
  // Opens the window now, for tests that call start-up pieces without DoModal.
  void OpenWindow();

 private:
  HeadlessBackend* m_backend;  // owned by the window system
  std::filesystem::path m_previous;
  std::filesystem::path m_folder;
  bool m_window_open = false;
};

// Writes a tiny valid 24-bit bitmap file (pictures for census and album tests).
void WriteTinyBitmap(const std::filesystem::path& path, int width = 2, int height = 2);
