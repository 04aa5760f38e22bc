#include "album/picture_numbering.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "album/album_paths.h"
#include "album/name_order.h"
#include "album/quoted_name.h"
#include "platform/kernel/file_find.h"
#include "platform/kernel/rename.h"

namespace {

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

std::vector<std::string> NumberingOrder(std::vector<std::string> names) {
  const auto numbered_end = std::partition(names.begin(), names.end(),
                                           [](const std::string& name) { return IsAllDigits(BaseName(name)); });
  // Of equal numbers, the name that already is the number's goes first (and so may stay).
  const auto own_name = [](const std::string& name) {
    return name == std::to_string(NumericValue(BaseName(name))) + ".bmp";
  };
  std::sort(names.begin(), numbered_end, [&](const std::string& a, const std::string& b) {
    if (NumberedNameLess(a, b)) return true;
    return !NumberedNameLess(b, a) && own_name(a) && !own_name(b);
  });
  std::sort(numbered_end, names.end(),
            [](const std::string& a, const std::string& b) { return OtherNameLess(a, b); });
  return names;
}

std::vector<std::size_t> RenameSchedule(const std::vector<std::string>& order) {
  // Where each current name stands in `order`: the exact name, else one that differs only in
  // letter case (where the file system ignores case, 1.BMP holds the name 1.bmp).
  const auto folded = [](std::string name) {
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
  };
  std::map<std::string, std::size_t> exact;
  std::map<std::string, std::size_t> any_case;
  for (std::size_t i = 0; i < order.size(); ++i) {
    exact.emplace(order[i], i);
    any_case.emplace(folded(order[i]), i);
  }
  const auto holder_of = [&](const std::string& name) -> std::optional<std::size_t> {
    if (const auto it = exact.find(name); it != exact.end()) return it->second;
    if (const auto it = any_case.find(name); it != any_case.end()) return it->second;
    return std::nullopt;
  };
  std::vector<bool> scheduled(order.size(), false);
  std::vector<std::size_t> schedule;
  schedule.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    // Follows the chain of holders: i's name is held by h, h's by the next, ... (in a
    // NumberingOrder each holder stands later than the one waiting for it, so the chain ends).
    std::vector<std::size_t> chain;
    for (std::size_t at = i; !scheduled[at];) {
      chain.push_back(at);
      scheduled[at] = true;
      const std::optional<std::size_t> holder = holder_of(std::to_string(at) + ".bmp");
      if (!holder) break;
      at = *holder;
    }
    // The last holder goes first.
    schedule.insert(schedule.end(), chain.rbegin(), chain.rend());
  }
  return schedule;
}

NumberingResult NumberPictures(const std::string& album_dir, std::FILE* log) {
  NumberingResult result;
  // Folders are chosen by number: with u sub-folders of any names, folders 0 .. u - 1.
  const int folders = CountSubFolders(album_dir);
  for (int w = 0; w < folders; ++w) {
    const std::string folder = FolderPath(album_dir, w);
    const std::vector<std::string> order = NumberingOrder(BitmapNamedFiles(folder));
    for (const std::size_t i : RenameSchedule(order)) {
      const std::string target = std::to_string(i) + ".bmp";
      if (order[i] == target) continue;  // already under its number
      const std::string from = folder + order[i];
      const std::string to = folder + target;
      const int error = RenameNoReplace(from, to);
      if (error == 0) {
        ++result.renamed;
        continue;
      }
      // Only something else named like the target (a directory) or a file system error gets
      // here. The rest of this folder keeps its names, but one stuck folder should not leave the
      // other folders unnumbered, so the pass goes on.
      if (log) {
        std::fprintf(log,
                     "quenmira: cannot rename the picture %s to %s (%s); the remaining pictures of %s keep "
                     "their names\n",
                     QuotedName(from).c_str(), target.c_str(), std::strerror(error), QuotedName(folder).c_str());
      }
      result.refused.push_back({from, to, error});
      break;
    }
  }
  return result;
}
