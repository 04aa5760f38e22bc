// Directory listing in the manner of the desktop API's file finder.
//
// FindFile takes "directory/wildcard", reads the whole directory at once and positions before
// the first match; each FindNextFile makes the next match current and returns false when that
// match is the last one, so `more = FindFile(p); while (more) { more = FindNextFile(); ... }`
// visits every match once. Reading everything up front means a directory that changes or
// disappears during the loop cannot break it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// True when `name` matches `pattern`: '*' is any run of bytes, '?' exactly one byte, ASCII
// letters match either case, other bytes match only themselves. A trailing ".*" also matches
// the end of a name, so "*.*" matches every name, even ones without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

class CFileFind {
 public:
  CFileFind() = default;

  // Lists the matches of `pattern` (directory + "/" + wildcard; no '/' means the current
  // directory). False when the directory cannot be read or nothing matches.
  [[nodiscard]] bool FindFile(const std::string& pattern);

  // Makes the next match current; false when it is the last one (or there was none left).
  bool FindNextFile();

  // Name of the current match, without directory.
  std::string GetFileName() const;
  // The pattern's directory part joined with the current name ("./album/3" for "./album/*.*").
  std::string GetFilePath() const;
  // True for a directory or a link to one; a broken link is a file.
  bool IsDirectory() const;
  // True for the "." and ".." entries.
  bool IsDots() const;

  // Forgets the listing.
  void Close();

 private:
  struct Entry {
    std::string name;
    bool directory = false;
  };

  const Entry* Current() const;

  std::string m_prefix;  // pattern up to and including its last '/'
  std::vector<Entry> m_entries;
  std::size_t m_next = 0;  // index of the entry FindNextFile makes current
};
