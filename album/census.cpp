#include "album/census.h"

#include <algorithm>
#include <string>
#include <vector>

#include "album/name_order.h"
#include "platform/kernel/file_find.h"

int CountPictures(const std::string& pattern) {
  CFileFind finder;
  int count = 0;
  bool more = finder.FindFile(pattern);
  while (more) {
    more = finder.FindNextFile();
    ++count;
  }
  return count;
}

bool IsPictureNamedFile(std::string_view name) {
  return ContainsAnyOf(name, {".jpg", ".jpeg", ".JPG", ".JPEG", ".BMP", ".bmp"});
}

namespace {

// True when the folder holds a file (not a directory) with a picture name.
bool HoldsPictureNamedFile(const std::string& folder_pattern) {
  CFileFind finder;
  bool more = finder.FindFile(folder_pattern);
  while (more) {
    more = finder.FindNextFile();
    if (!finder.IsDots() && !finder.IsDirectory() && IsPictureNamedFile(finder.GetFileName())) {
      return true;
    }
  }
  return false;
}

}  // namespace

int CountUsableFolders(const std::string& album_dir) {
  CFileFind finder;
  bool more = finder.FindFile(album_dir + "*.*");
  if (!more) return 0;
  std::vector<std::string> folders;
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDirectory() && !finder.IsDots() && IsAllDigits(finder.GetFileName())) {
      folders.push_back(finder.GetFileName());
    }
  }
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return FolderNameLess(a, b); });

  int count = 0;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (folders[i] != std::to_string(i)) continue;
    // Looks in folder `count`, not `i`: after an empty folder the same one is checked again, so
    // the run stops at the first gap.
    if (HoldsPictureNamedFile(album_dir + std::to_string(count) + "/*.*")) ++count;
  }
  return count;
}
