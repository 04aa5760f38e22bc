#include "render/picture_files.h"

#include <algorithm>
#include <system_error>

HBITMAP PictureFiles::Load(const std::string& path) {
  std::error_code error;
  auto modified = std::filesystem::last_write_time(path, error);
  if (error) return nullptr;
  std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return nullptr;
  auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.path == path; });
  if (found != m_entries.end()) {
    if (found->modified == modified && found->size == size) {
      found->last_used = m_frame;
      return found->bitmap;
    }
    // Handed out earlier in this frame, perhaps to the other slot: it lives to the frame's end.
    if (found->last_used == m_frame) {
      m_replaced.push_back(found->bitmap);
    } else {
      DeleteObject(found->bitmap);
    }
    m_entries.erase(found);
  }
  HBITMAP bitmap = LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  MakeBitmapLevels(bitmap);
  m_entries.push_back({path, modified, size, bitmap, m_frame});
  return bitmap;
}

void PictureFiles::EndFrame() {
  for (HBITMAP bitmap : m_replaced) DeleteObject(bitmap);
  m_replaced.clear();
  const int oldest_kept = m_frame - (m_frames_kept - 1);
  std::erase_if(m_entries, [&](const Entry& e) {
    if (e.last_used >= oldest_kept) return false;
    DeleteObject(e.bitmap);
    return true;
  });
  ++m_frame;
}

void PictureFiles::Clear() {
  for (const Entry& e : m_entries) DeleteObject(e.bitmap);
  m_entries.clear();
  for (HBITMAP bitmap : m_replaced) DeleteObject(bitmap);
  m_replaced.clear();
}
