// libFuzzer target: the bytes describe an album (numbered folders, files and directories with
// names and contents), which is made in a fresh temporary folder and numbered. Checked after the
// pass: every folder holds the same file contents as a multiset (nothing lost, duplicated or
// changed), directories and non-bitmap files keep their names, a folder without a refusal holds
// 0.bmp .. k-1.bmp in numbering order, a refusal happens only where a directory named like a
// target makes one (equal numbers never do), and the folder that is not a number is left alone.
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "album/name_order.h"
#include "album/picture_numbering.h"
#include "fuzz/fuzz_work_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxEntries = 10;

[[noreturn]] void Fail(const char* what, const std::string& detail) { FuzzFail("numbering_fuzz", what, detail); }

// Hands out the input's bytes; 0 once they run out.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool Done() const { return m_pos >= m_size; }
  std::uint8_t Take() { return m_pos < m_size ? m_data[m_pos++] : 0; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

const std::string& WorkFolder() { return FuzzWorkFolder("quenmira-numbering-fuzz"); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Entry {
  bool directory = false;
  std::string content;  // for a directory, the content of the one file inside it
  bool operator==(const Entry&) const = default;
};
using Listing = std::map<std::string, Entry>;

Listing List(const std::string& folder) {
  Listing listing;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_directory()) {
      listing[name] = {true, ReadFile(e.path() / "inside")};
    } else {
      listing[name] = {false, ReadFile(e.path())};
    }
  }
  return listing;
}

std::vector<std::string> FileContents(const Listing& listing) {
  std::vector<std::string> contents;
  for (const auto& [name, entry] : listing) {
    if (!entry.directory) contents.push_back(entry.content);
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

// The order the pass must produce, up to names with equal keys.
bool NumberingLess(const std::string& a, const std::string& b) {
  const bool a_numbered = IsAllDigits(BaseName(a));
  const bool b_numbered = IsAllDigits(BaseName(b));
  if (a_numbered != b_numbered) return a_numbered;
  return a_numbered ? NumberedNameLess(a, b) : OtherNameLess(a, b);
}

// A name from the input: a small number with leading zeros, a word, raw bytes or a number at
// the edge of the saturation, each followed by an extension.
std::string MakeName(Reader& in) {
  static const char* const kWords[] = {"holiday", "Apple", "apple", "_x", "été", "日本", "a", "A", "1a", "x.y"};
  static const char* const kBig[] = {"2147483647", "2147483648", "4294967296", "999999999999", "0000000000000"};
  static const char* const kExtensions[] = {".bmp", ".BMP", ".Bmp", ".bmp", ".bMp", ".jpg", ".bmp.txt", ""};
  const std::uint8_t head = in.Take();
  std::string base;
  switch (head & 3) {
    case 0: {
      const std::uint8_t v = in.Take();
      base = std::string((v >> 4) & 3, '0') + std::to_string(v & 15);
      break;
    }
    case 1:
      base = kWords[in.Take() % std::size(kWords)];
      break;
    case 2: {
      const int length = in.Take() % 8;
      for (int i = 0; i < length; ++i) {
        const char c = static_cast<char>(in.Take());
        base += (c == '/' || c == '\0') ? '_' : c;
      }
      break;
    }
    default:
      base = kBig[in.Take() % std::size(kBig)];
      break;
  }
  return base + kExtensions[(head >> 2) & 7];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const std::string album = WorkFolder() + "album/";
  std::error_code ec;
  fs::remove_all(album, ec);
  fs::create_directory(album, ec);
  if (ec) Fail("cannot make the album folder", album);

  // Folders 0 .. numbered - 1, and maybe one named "extra", which makes u one larger, so that
  // the pass also visits the missing folder numbered(u - 1) and must never touch "extra".
  const std::uint8_t layout = in.Take();
  const int numbered = 1 + layout % 3;
  const bool extra = (layout & 0x10) != 0;
  std::vector<std::string> folders;
  for (int f = 0; f < numbered; ++f) folders.push_back(album + std::to_string(f) + "/");
  if (extra) folders.push_back(album + "extra/");
  for (const std::string& folder : folders) fs::create_directory(folder);

  std::vector<std::map<std::string, std::string>> origin(folders.size());  // content -> name
  for (int i = 0; i < kMaxEntries && !in.Done(); ++i) {
    const std::uint8_t where = in.Take();
    const std::size_t f = where % folders.size();
    const bool directory = (where & 0xE0) == 0xE0;  // one entry in eight
    const std::string name = MakeName(in);
    std::string content = "#" + std::to_string(i) + ":";
    const int length = in.Take() % 6;
    for (int b = 0; b < length; ++b) content += static_cast<char>(in.Take());
    if (name.empty() || name == "." || name == ".." || name.size() > 255) continue;
    const std::string path = folders[f] + name;
    if (fs::symlink_status(path, ec).type() != fs::file_type::not_found) continue;  // taken
    if (directory) {
      if (!fs::create_directory(path, ec)) Fail("cannot make a directory", path);
      std::ofstream(path + "/inside", std::ios::binary) << content;
    } else {
      std::ofstream out(path, std::ios::binary);
      out << content;
      if (!out.flush()) Fail("cannot write a file", path);
      origin[f][content] = name;
    }
  }

  std::vector<Listing> before;
  for (const std::string& folder : folders) before.push_back(List(folder));

  const NumberingResult result = NumberPictures(album, nullptr);

  for (std::size_t f = 0; f < folders.size(); ++f) {
    const Listing after = List(folders[f]);
    if (FileContents(after) != FileContents(before[f])) Fail("file contents changed", folders[f]);
    if (extra && f + 1 == folders.size()) {
      if (after != before[f]) Fail("the folder named extra changed", folders[f]);
      continue;
    }

    std::vector<std::string> bitmaps;
    for (const auto& [name, entry] : before[f]) {
      if (entry.directory || !IsBitmapNamedFile(name)) {
        const auto it = after.find(name);
        if (it == after.end() || !(it->second == entry)) Fail("a directory or non-bitmap changed", name);
        continue;
      }
      bitmaps.push_back(name);
    }
    bool blocked = false;  // a directory holds one of the names 0.bmp .. k-1.bmp
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
      const auto it = before[f].find(std::to_string(i) + ".bmp");
      if (it != before[f].end() && it->second.directory) blocked = true;
    }

    int refusals = 0;
    for (const NumberingRefusal& refusal : result.refused) {
      if (refusal.from.compare(0, folders[f].size(), folders[f]) != 0) continue;
      ++refusals;
      if (refusal.error != EEXIST) Fail("a refusal other than an existing target", refusal.from);
      if (!fs::exists(fs::symlink_status(refusal.from, ec))) Fail("a refused file is gone", refusal.from);
    }
    if (refusals > 1) Fail("more than one refusal in a folder", folders[f]);
    if (refusals == 1) {
      if (!blocked) Fail("a refusal without a directory in the way", folders[f]);
      continue;
    }

    std::vector<std::string> order;  // old names by new number
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
      const auto it = after.find(std::to_string(i) + ".bmp");
      if (it == after.end() || it->second.directory) Fail("a number is missing", std::to_string(i) + ".bmp");
      order.push_back(origin[f].at(it->second.content));
    }
    if (!std::is_sorted(order.begin(), order.end(), NumberingLess)) Fail("numbers out of order", folders[f]);
  }
  return 0;
}
