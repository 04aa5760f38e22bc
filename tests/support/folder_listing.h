// A folder's entries as the file tests see them, read without the code under test.
#pragma once

#include <map>
#include <string>

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// One directory entry: a directory, or a file and its bytes.
struct Entry {
  bool directory = false;
  std::string content;
  friend bool operator==(const Entry&, const Entry&) = default;
};
using Listing = std::map<std::string, Entry>;

// What `folder` holds, by name.
Listing List(const std::string& folder);
