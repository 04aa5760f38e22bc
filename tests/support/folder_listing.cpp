#include "tests/support/folder_listing.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Listing List(const std::string& folder) {
  Listing listing;
  std::error_code ec;
  for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    listing[name] = e.is_directory() ? Entry{true, ""} : Entry{false, ReadFile(e.path().string())};
  }
  return listing;
}
