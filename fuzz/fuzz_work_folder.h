// What the fuzz targets that work on real files share: a loud stop for a broken invariant and a
// folder of their own to work in.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// Reports a broken invariant and stops the run, so that libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const char* target, const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s (%s)\n", target, what, detail.c_str());
  __builtin_trap();
}

// A folder "<prefix>-XXXXXX/" made once per process on a memory file system when there is one;
// removed at exit. The string is never freed, so that the exit handler still finds it.
inline const std::string& FuzzWorkFolder(const char* prefix) {
  namespace fs = std::filesystem;
  static const std::string* folder = nullptr;
  if (folder) return *folder;
  std::error_code ec;
  const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) FuzzFail(prefix, "cannot make a temporary folder", pattern);
  folder = new std::string(pattern + "/");
  std::atexit([] {
    std::error_code remove_ec;
    fs::remove_all(*folder, remove_ec);
  });
  return *folder;
}
