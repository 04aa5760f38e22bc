#include "platform/kernel/files.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

BOOL CreateDirectoryW(const std::string& path) {
  std::error_code error;
  return fs::create_directory(path, error) ? TRUE : FALSE;
}

DWORD GetFileAttributesW(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return INVALID_FILE_ATTRIBUTES;
  return fs::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL DeleteFileW(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) return FALSE;
  return fs::remove(path, error) ? TRUE : FALSE;
}
