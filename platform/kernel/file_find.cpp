#include "platform/kernel/file_find.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace {

// True when the open directory is the file system's root. The root's identity is read once:
// the album's passes list thousands of folders, and a fresh look at "/" each time cost as much
// as the listing itself.
bool IsRootDirectory(int directory_fd) {
  static const struct RootId {
    bool known = false;
    struct stat id {};
    RootId() { known = ::stat("/", &id) == 0; }
  } root;
  struct stat id {};
  if (!root.known || ::fstat(directory_fd, &id) != 0) return false;
  return id.st_dev == root.id.st_dev && id.st_ino == root.id.st_ino;
}

// A directory, or a link to one; a broken link is a file. The entry's own type answers without
// a look at the inode unless it is a link or the file system does not give it.
bool IsDirectoryEntry(DIR* directory, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat target {};
  return ::fstatat(::dirfd(directory), entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
}

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

  DIR* listing = ::opendir(directory.c_str());
  if (!listing) {
    m_prefix.clear();
    return false;
  }

  // The desktop platform lists "." and ".." first in every folder except a drive's root.
  if (!IsRootDirectory(::dirfd(listing))) {
    for (const char* dots : {".", ".."}) {
      if (WildcardMatch(wildcard, dots)) m_entries.push_back({dots, true});
    }
  }
  const std::size_t first_named = m_entries.size();

  // A read error part way (the directory vanished, a disk failed) ends the listing early.
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !WildcardMatch(wildcard, name)) continue;
    m_entries.push_back({std::string(name), IsDirectoryEntry(listing, *entry)});
  }
  ::closedir(listing);
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
