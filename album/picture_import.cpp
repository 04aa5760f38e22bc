#include "album/picture_import.h"

#include <cstdio>
#include <memory>
#include <system_error>
#include <optional>
#include <utility>
#include <vector>

#include "album/album_paths.h"
#include "album/bitmap_writer.h"
#include "album/name_order.h"
#include "album/quoted_name.h"
#include "platform/image/image_codec.h"
#include "platform/kernel/file_find.h"
#include "platform/kernel/files.h"
#include "platform/kernel/thread.h"
#include "platform/window/window_dc.h"

namespace {

// Highest k tried for a free name before the picture is left as it is.
constexpr int kMaxCandidates = 10000;

struct FolderWork {
  std::string folder;                 // ends with '/'
  std::vector<std::string> pictures;  // files with names to import, in listing order
};

// One line on standard error; `why`, when given, follows in parentheses.
void Report(const char* what, const std::string& path, const std::string& why = {}) {
  if (why.empty()) {
    std::fprintf(stderr, "quenmira: %s %s\n", what, QuotedName(path).c_str());
  } else {
    std::fprintf(stderr, "quenmira: %s %s (%s)\n", what, QuotedName(path).c_str(), why.c_str());
  }
}

// Lists the visited folders and their files to import; nothing when the root cannot be listed.
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
      if (IsImportNamedFile(name)) folder.pictures.push_back(std::move(name));
    }
    if (!folder.pictures.empty()) work.push_back(std::move(folder));
  }
  return work;
}

// One picture file of the pass.
struct Job {
  std::string folder;  // ends with '/'
  std::string name;
  std::string Path() const { return folder + name; }
};

// A converted picture whose bitmap is written, waiting to be given its name.
struct Pending {
  std::unique_ptr<StagedBitmapFile> staged;
  const Job* job = nullptr;
};

// Gives the pending bitmap its name and deletes its picture file; true when the bitmap is in place.
bool Place(const Pending& pending) {
  const Job& job = *pending.job;
  const std::string target = ImportTargetName(job.name);
  // A file whose target is its own name (photo.jpg.bmp) is replaced by its bitmap.
  if (target == job.name) return pending.staged->PlaceReplacing(job.Path());
  for (int k = 0; k <= kMaxCandidates; ++k) {
    switch (pending.staged->PlaceIfFree(job.folder + ImportCandidateName(target, k))) {
      case StagedBitmapFile::Placement::kPlaced:
        if (!DeleteFileW(job.Path())) Report("converted but cannot delete:", job.Path());
        return true;
      case StagedBitmapFile::Placement::kFailed: return false;
      case StagedBitmapFile::Placement::kNameTaken: break;
    }
  }
  return false;
}

// Decodes one file on a helper thread; the result is read only after Join.
class DecodeAhead {
 public:
  void Start(std::string path) {
    m_result = DecodeResult{};
    try {
      m_thread = std::make_unique<CWinThread>([this, path = std::move(path)] {
        m_result = DecodePictureFile(path);
        return 0u;
      });
    } catch (const std::system_error&) {
      m_thread.reset();
      m_result = DecodePictureFile(path);  // no thread to be had: decode here
    }
  }
  DecodeResult Join() {
    if (m_thread) m_thread->Join();
    m_thread.reset();
    return std::exchange(m_result, DecodeResult{});
  }

 private:
  std::unique_ptr<CWinThread> m_thread;
  DecodeResult m_result;
};

}  // namespace

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
  std::vector<Job> jobs;
  for (const FolderWork& folder : *work) {
    for (const std::string& name : folder.pictures) jobs.push_back({folder.folder, name});
  }
  result.found = static_cast<int>(jobs.size());

  // Pipelined: while picture j is written and drawn, picture j + 1 is decoded on a helper thread
  // and the disk stores picture j - 1, which is then given its name. The files end up as if the
  // pictures were done one after the other.
  auto finish = [&](Pending& pending) {
    if (!pending.staged) return;
    if (Place(pending)) {
      ++result.converted;
    } else {
      ++result.failed;
      Report("cannot write a bitmap; the file stays:", pending.job->Path());
    }
    pending = Pending{};
  };
  DecodeAhead decoder;
  Pending pending;
  if (!jobs.empty()) decoder.Start(jobs[0].Path());
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    DecodeResult decoded = decoder.Join();
    if (j + 1 < jobs.size()) decoder.Start(jobs[j + 1].Path());
    finish(pending);
    const Job& job = jobs[j];
    HBITMAP bitmap = decoded.picture ? CreateBitmapFromPicture(std::move(*decoded.picture)) : nullptr;
    if (!bitmap) {
      (void)WriteBitmapFile(nullptr, job.folder + ImportTargetName(job.name));  // shows "wrong param"
      Report("cannot decode; the file stays:", job.Path(),
             decoded.picture ? "not enough memory for its bitmap" : decoded.failure);
      ++result.failed;
      continue;
    }
    auto staged = std::make_unique<StagedBitmapFile>(bitmap, FolderOfPath(job.Path()));
    if (staged->Written()) {
      pending = Pending{std::move(staged), &job};
    } else {
      ++result.failed;
      Report("cannot write a bitmap; the file stays:", job.Path());
    }
    observer.OnPictureConverted(bitmap, static_cast<int>(j) + 1, result.found);
    DeleteObject(bitmap);
  }
  finish(pending);
  return result;
}
