#include "tests/support/headless_session.h"

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/window/window_system.h"

namespace fs = std::filesystem;

HeadlessSession::HeadlessSession(int width, int height) {
  auto backend = std::make_unique<HeadlessBackend>(width, height);
  m_backend = backend.get();
  window_system::InstallBackend(std::move(backend));
  m_previous = fs::current_path();
  std::string templ = (fs::temp_directory_path() / "quenmira-test-XXXXXX").string();
  std::vector<char> buffer(templ.begin(), templ.end());
  buffer.push_back('\0');
  m_folder = mkdtemp(buffer.data());
  fs::current_path(m_folder);
}

HeadlessSession::~HeadlessSession() {
  if (m_window_open) window_system::CloseWindow();
  window_system::InstallBackend(nullptr);
  std::error_code error;
  fs::current_path(m_previous, error);
  fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(m_folder, error);
}

void HeadlessSession::OpenWindow() {
  m_window_open = window_system::OpenWindow();
}

void WriteTinyBitmap(const fs::path& path, int width, int height) {
  int stride = (width * 3 + 3) / 4 * 4;
  std::uint32_t pixels = static_cast<std::uint32_t>(stride * height);
  std::vector<std::uint8_t> file(54 + pixels, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54 + pixels);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  put32(34, pixels);
  for (std::size_t i = 54; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 37);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
}
