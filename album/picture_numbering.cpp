#include "album/picture_numbering.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "album/album_paths.h"
#include "album/name_order.h"
#include "platform/kernel/file_find.h"
#include "platform/kernel/rename.h"

namespace {

// `text` in double quotes with control characters, quotes and backslashes escaped, so that a
// file name holding a newline still gives one line on the log.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

// Number of sub-folders of `album_dir`, whatever their names; 0 when it cannot be listed.
int CountSubFolders(const std::string& album_dir) {
  CFileFind finder;
  int count = 0;
  bool more = finder.FindFile(album_dir + "*.*");
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDirectory() && !finder.IsDots()) ++count;
  }
  return count;
}

// Names of the bitmap-named files (not directories) in `folder`; empty when it cannot be listed.
std::vector<std::string> BitmapNamedFiles(const std::string& folder) {
  std::vector<std::string> names;
  CFileFind finder;
  bool more = finder.FindFile(folder + "*.*");
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots() || finder.IsDirectory()) continue;
    std::string name = finder.GetFileName();
    if (IsBitmapNamedFile(name)) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

bool IsBitmapNamedFile(std::string_view name) {
  for (const char* extension : {".bmp", ".BMP", ".Bmp"}) {
    if (name.find(extension) != std::string_view::npos) return true;
  }
  return false;
}

std::vector<std::string> NumberingOrder(std::vector<std::string> names) {
  const auto numbered_end = std::partition(names.begin(), names.end(),
                                           [](const std::string& name) { return IsAllDigits(BaseName(name)); });
  std::sort(names.begin(), numbered_end,
            [](const std::string& a, const std::string& b) { return NumberedNameLess(a, b); });
  std::sort(numbered_end, names.end(),
            [](const std::string& a, const std::string& b) { return OtherNameLess(a, b); });
  return names;
}

NumberingResult NumberPictures(const std::string& album_dir, std::FILE* log) {
  NumberingResult result;
  // Folders are chosen by number: with u sub-folders of any names, folders 0 .. u - 1.
  const int folders = CountSubFolders(album_dir);
  for (int w = 0; w < folders; ++w) {
    const std::string folder = FolderPath(album_dir, w);
    const std::vector<std::string> order = NumberingOrder(BitmapNamedFiles(folder));
    for (std::size_t i = 0; i < order.size(); ++i) {
      const std::string target = std::to_string(i) + ".bmp";
      if (order[i] == target) continue;  // already under its number
      const std::string from = folder + order[i];
      const std::string to = folder + target;
      const int error = RenameNoReplace(from, to);
      if (error == 0) {
        ++result.renamed;
        continue;
      }
      // Only equal numbers (1.bmp beside 01.bmp, 0.bmp beside 0.BMP), something else named like
      // the target, or a file system error get here. The rest of this folder keeps its names,
      // but one stuck folder should not leave the other folders unnumbered, so the pass goes on.
      if (log) {
        std::fprintf(log,
                     "quenmira: cannot rename the picture %s to %s (%s); the remaining pictures of %s keep "
                     "their names\n",
                     Quoted(from).c_str(), target.c_str(), std::strerror(error), Quoted(folder).c_str());
      }
      result.refused.push_back({from, to, error});
      break;
    }
  }
  return result;
}
