// The bitmaps of picture files, kept between frames: a file is read again only when it
// changed on disk (size or modification time), so an edited picture shows on the next frame
// while an unchanged one is not decoded every frame. Each bitmap comes with its pre-filtered
// copies (MakeBitmapLevels), made once when the file is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

class PictureFiles {
 public:
  // Keeps a bitmap while one of the last `frames_kept` frames used it.
  explicit PictureFiles(int frames_kept = 2) : m_frames_kept(frames_kept) {}
  ~PictureFiles() { Clear(); }
  PictureFiles(const PictureFiles&) = delete;
  PictureFiles& operator=(const PictureFiles&) = delete;

  // The bitmap of the file, or null when it is missing or not a readable bitmap. It belongs
  // to this cache and stays valid at least until the end of the frame (EndFrame): a file that
  // changes while the frame runs gives a new bitmap, and the one handed out before is kept.
  HBITMAP Load(const std::string& path);
  // Ends a frame: bitmaps replaced during it, and those unused in the frames kept (this one
  // and the ones before), are deleted.
  void EndFrame();
  void Clear();
  int Count() const { return static_cast<int>(m_entries.size()); }

 private:
  struct Entry {
    std::string path;
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    HBITMAP bitmap = nullptr;  // null for a file that could not be read
    int last_used = 0;
  };
  std::vector<Entry> m_entries;
  int m_frames_kept;
  std::vector<HBITMAP> m_replaced;  // handed out this frame before their file changed
  int m_frame = 0;
};
