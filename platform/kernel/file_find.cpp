#include "platform/kernel/file_find.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when `rest` is "." followed by one or more '*'.
bool IsDotStars(std::string_view rest) {
  return rest.size() >= 2 && rest[0] == '.' &&
         rest.find_first_not_of('*', 1) == std::string_view::npos;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // match[j] after processing pattern position i: pattern[i:] matches name[j:]. Filled from the
  // end of the pattern backwards, so each '*' is settled without backtracking.
  const std::size_t n = name.size();
  std::vector<char> next(n + 1, 0);
  std::vector<char> cur(n + 1, 0);
  next[n] = 1;  // empty pattern matches only the empty rest of a name
  for (std::size_t i = pattern.size(); i-- > 0;) {
    const char p = pattern[i];
    const bool dot_stars = p == '.' && IsDotStars(pattern.substr(i));
    for (std::size_t j = n + 1; j-- > 0;) {
      bool m = false;
      if (p == '*') {
        m = next[j] || (j < n && cur[j + 1]);
      } else if (j == n) {
        m = dot_stars;  // "x.*" also matches "x", as on the desktop platform
      } else if (p == '?') {
        m = next[j + 1];
      } else {
        m = FoldAscii(p) == FoldAscii(name[j]) && next[j + 1];
      }
      cur[j] = m ? 1 : 0;
    }
    std::swap(cur, next);
  }
  return next[0] != 0;
}

bool CFileFind::FindFile(const std::string& pattern) {
  Close();
  std::string directory;
  std::string wildcard;
  const std::size_t slash = pattern.rfind('/');
  if (slash == std::string::npos) {
    directory = ".";
    wildcard = pattern;
  } else {
    m_prefix = pattern.substr(0, slash + 1);
    directory = slash == 0 ? std::string("/") : pattern.substr(0, slash);
    wildcard = pattern.substr(slash + 1);
  }

  std::error_code ec;
  fs::directory_iterator it(directory, ec);
  if (ec) {
    m_prefix.clear();
    return false;
  }

  // The desktop platform lists "." and ".." first in every folder except a drive's root.
  std::error_code root_ec;
  if (!fs::equivalent(directory, "/", root_ec)) {
    for (const char* dots : {".", ".."}) {
      if (WildcardMatch(wildcard, dots)) m_entries.push_back({dots, true});
    }
  }
  const std::size_t first_named = m_entries.size();

  // A read error part way (the directory vanished, a disk failed) ends the listing early.
  while (!ec && it != fs::directory_iterator()) {
    std::string name = it->path().filename().string();
    if (WildcardMatch(wildcard, name)) {
      std::error_code status_ec;
      const bool directory_flag = it->is_directory(status_ec) && !status_ec;
      m_entries.push_back({std::move(name), directory_flag});
    }
    it.increment(ec);
  }
  // Byte order, so that a listing does not depend on the file system's order.
  std::sort(m_entries.begin() + static_cast<std::ptrdiff_t>(first_named), m_entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });

  if (m_entries.empty()) {
    Close();
    return false;
  }
  return true;
}

bool CFileFind::FindNextFile() {
  if (m_next >= m_entries.size()) return false;
  ++m_next;
  return m_next < m_entries.size();
}

const CFileFind::Entry* CFileFind::Current() const {
  return m_next == 0 ? nullptr : &m_entries[m_next - 1];
}

std::string CFileFind::GetFileName() const {
  const Entry* e = Current();
  return e ? e->name : std::string();
}

std::string CFileFind::GetFilePath() const {
  const Entry* e = Current();
  return e ? m_prefix + e->name : std::string();
}

bool CFileFind::IsDirectory() const {
  const Entry* e = Current();
  return e && e->directory;
}

bool CFileFind::IsDots() const {
  const Entry* e = Current();
  return e && (e->name == "." || e->name == "..");
}

void CFileFind::Close() {
  m_prefix.clear();
  m_entries.clear();
  m_next = 0;
}
