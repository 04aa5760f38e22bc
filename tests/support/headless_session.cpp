#include "tests/support/headless_session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "album/bitmap_writer.h"
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
  std::vector<std::uint8_t> file(BitmapFileBytes(width, height), 0);
  const auto header = BitmapFileHeader(width, height);
  std::copy(header.begin(), header.end(), file.begin());
  for (std::size_t i = header.size(); i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 37);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
}
