#include "album/picture_import.h"

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "album/album_paths.h"
#include "album/bitmap_writer.h"
#include "album/name_order.h"
#include "platform/image/image_codec.h"
#include "platform/kernel/file_find.h"
#include "platform/kernel/files.h"
#include "platform/window/window_dc.h"

namespace {

// Highest k tried for a free name before the picture is left as a JPEG.
constexpr int kMaxCandidates = 10000;

struct FolderWork {
  std::string folder;               // ends with '/'
  std::vector<std::string> jpegs;  // JPEG-named files, in listing order
};

// `path` for one stderr line: control bytes escaped so a name cannot break the line.
std::string Printable(std::string_view path) {
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

void Report(const char* what, const std::string& path) {
  std::fprintf(stderr, "quenmira: %s \"%s\"\n", what, Printable(path).c_str());
}

// Lists the visited folders and their JPEG-named files; nothing when the root cannot be listed.
std::optional<std::vector<FolderWork>> ListWork(const std::string& album_dir) {
  CFileFind root;
  if (!root.FindFile(album_dir + "*.*")) return std::nullopt;
  int directories = 0;
  for (bool more = true; more;) {
    more = root.FindNextFile();
    if (!root.IsDots() && root.IsDirectory()) ++directories;
  }
  std::vector<FolderWork> work;
  for (int w = 0; w < directories; ++w) {
    FolderWork folder{FolderPath(album_dir, w), {}};
    CFileFind find;
    if (!find.FindFile(folder.folder + "*.*")) continue;  // a folder that cannot be listed is skipped
    for (bool more = true; more;) {
      more = find.FindNextFile();
      if (find.IsDots() || find.IsDirectory()) continue;
      std::string name = find.GetFileName();
      if (IsJpegNamedFile(name)) folder.jpegs.push_back(std::move(name));
    }
    if (!folder.jpegs.empty()) work.push_back(std::move(folder));
  }
  return work;
}

// Writes the bitmap for `name` in `folder`; true when it is there whole and the JPEG may go.
bool PlaceBitmap(HBITMAP bitmap, const std::string& folder, const std::string& name, bool& replaced_own) {
  const std::string target = ImportTargetName(name);
  StagedBitmapFile staged(bitmap, FolderOfPath(folder + target));
  if (!staged.Written()) return false;
  replaced_own = target == name;
  if (replaced_own) return staged.PlaceReplacing(folder + target);
  for (int k = 0; k <= kMaxCandidates; ++k) {
    switch (staged.PlaceIfFree(folder + ImportCandidateName(target, k))) {
      case StagedBitmapFile::Placement::kPlaced: return true;
      case StagedBitmapFile::Placement::kFailed: return false;
      case StagedBitmapFile::Placement::kNameTaken: break;
    }
  }
  return false;
}

}  // namespace

bool IsJpegNamedFile(std::string_view name) {
  for (const std::string_view mark : {".jpg", ".jpeg", ".JPG", ".JPEG"}) {
    if (name.find(mark) != std::string_view::npos) return true;
  }
  return false;
}

std::string ImportTargetName(std::string_view name) { return BaseName(name) + ".bmp"; }

std::string ImportCandidateName(std::string_view target, int k) {
  if (k == 0) return std::string(target);
  return BaseName(target) + "~" + std::to_string(k) + ".bmp";
}

void WindowImportDisplay::OnPictureConverted(HBITMAP picture, int number, int total) {
  HDC dc = GetDC(m_window);
  if (!dc) return;
  FillSolidRect(dc, 0, 0, m_screen_width, m_screen_height, RGB(0, 0, 0));
  BITMAP info;
  if (GetObjectW(picture, sizeof info, &info) != 0) {
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP previous = SelectObject(memory, picture);
    // Truncating divisions; a picture larger than the screen gets negative offsets and is clipped.
    BitBlt(dc, (m_screen_width - info.bmWidth) / 2, (m_screen_height - info.bmHeight) / 2, info.bmWidth,
           info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  HFONT font = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  HFONT previous_font = SelectObject(dc, font);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(200, 200, 200));
  const std::string line = std::to_string(number) + " of " + std::to_string(total);
  TextOutW(dc, 8, 6, line, static_cast<int>(line.size()));
  SelectObject(dc, previous_font);
  DeleteObject(font);
  ReleaseDC(m_window, dc);
}

ImportResult ImportPictures(const std::string& album_dir, ImportObserver& observer) {
  ImportResult result;
  const std::optional<std::vector<FolderWork>> work = ListWork(album_dir);
  if (!work) return result;
  result.root_listed = true;
  for (const FolderWork& folder : *work) result.found += static_cast<int>(folder.jpegs.size());

  int number = 0;
  for (const FolderWork& folder : *work) {
    for (const std::string& name : folder.jpegs) {
      ++number;
      const std::string path = folder.folder + name;
      std::optional<DecodedPicture> picture = DecodePictureFile(path);
      HBITMAP bitmap = picture ? CreateBitmapFromPicture(std::move(*picture)) : nullptr;
      if (!bitmap) {
        (void)WriteBitmapFile(nullptr, folder.folder + ImportTargetName(name));  // shows "wrong param"
        Report("cannot decode; the file stays:", path);
        ++result.failed;
        continue;
      }
      bool replaced_own = false;
      if (PlaceBitmap(bitmap, folder.folder, name, replaced_own)) {
        ++result.converted;
        if (!replaced_own && !DeleteFileW(path)) Report("converted but cannot delete:", path);
      } else {
        ++result.failed;
        Report("cannot write a bitmap; the file stays:", path);
      }
      observer.OnPictureConverted(bitmap, number, result.found);
      DeleteObject(bitmap);
    }
  }
  return result;
}
