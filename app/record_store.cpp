// The record file between the album tables and the disk.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/orvale_dlg.h"
#include "app/record_file.h"
#include "platform/kernel/files.h"

namespace {

// Reads `path`, but no more than `limit` + 1 bytes: a file longer than `limit` cannot fit, the
// byte too many tells the parser so, and the folders that fit before it are still restored.
bool ReadFileUpTo(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  const std::uint64_t wanted = std::min(static_cast<std::uint64_t>(size), limit + 1);
  bytes.resize(static_cast<std::size_t>(wanted));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(wanted)));
}

}  // namespace

void COrvaleDlg::LoadRecordFile() {
  m_record_name = RecordNameFor(m_album_dir);
  m_album_changed = 0;
  const std::string path = RecordFilePath();
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return;
  std::vector<std::uint8_t> bytes;
  RecordLoad load;
  if (ReadFileUpTo(path, RecordFileBytes(m_table_counts), bytes)) load = ParseRecordFile(bytes, m_table_counts);

  const auto& folders = load.contents.folders;
  for (std::size_t f = 0; f < folders.size(); ++f) {
    const int folder = static_cast<int>(f);
    if (f < m_count_by_folder.size()) m_count_by_folder[f] = static_cast<int>(folders[f].size());
    for (std::size_t p = 0; p < folders[f].size(); ++p) {
      const PictureRecord& r = folders[f][p];
      const int picture = static_cast<int>(p);
      m_recorded_table.Set(folder, picture, r.recorded);
      m_angle_table.Set(folder, picture, r.angle);
      m_key_count_table.Set(folder, picture, r.key_count);
      m_zoom_table.Set(folder, picture, r.zoom_target);
      m_spare_table.Set(folder, picture, r.spare);
      m_steps_table.Set(folder, picture, r.steps);
      for (int slot = 0; slot < kKeyFrameSlots; ++slot) {
        const KeyFrameRecord& key = r.keys[static_cast<std::size_t>(slot)];
        m_key_x.Set(folder, picture, key.x, slot);
        m_key_y.Set(folder, picture, key.y, slot);
        m_key_zoom.Set(folder, picture, key.zoom, slot);
      }
    }
  }
  if (load.fits) {
    m_folder = load.contents.current_folder;
    m_brightness_saved = load.contents.brightness;
    for (std::size_t f = 0; f < load.contents.strip_offsets.size() && f < m_strip_offset_by_folder.size(); ++f) {
      m_strip_offset_by_folder[f] = load.contents.strip_offsets[f];
    }
    return;
  }
  // The album changed (or the file is damaged): what fitted is kept, the file goes.
  m_album_changed = 1;
  DeleteFileW(path);
}

void COrvaleDlg::StoreRecordFile() {
  if (m_record_name.empty()) m_record_name = RecordNameFor(m_album_dir);
  RecordFile file;
  const int folders = m_folder_count;
  for (int folder = 0; folder < folders; ++folder) {
    // No more records than the tables hold: a folder that grew is written at its old size,
    // so the next start sees the change and starts that folder afresh.
    int pictures = std::min(CountPictures(folder), m_recorded_table.PictureCount(folder));
    std::vector<PictureRecord> records(static_cast<std::size_t>(pictures));
    for (int picture = 0; picture < pictures; ++picture) {
      PictureRecord& r = records[static_cast<std::size_t>(picture)];
      r.recorded = m_recorded_table.Get(folder, picture, 0);
      r.angle = m_angle_table.Get(folder, picture, 0);
      r.key_count = m_key_count_table.Get(folder, picture, 0);
      r.zoom_target = m_zoom_table.Get(folder, picture, kDefaultZoomTarget);
      r.spare = m_spare_table.Get(folder, picture, kDefaultSpare);
      r.steps = m_steps_table.Get(folder, picture, kDefaultPlaySteps);
      for (int slot = 0; slot < kKeyFrameSlots; ++slot) {
        r.keys[static_cast<std::size_t>(slot)] = {m_key_x.Get(folder, picture, 0, slot),
                                                  m_key_y.Get(folder, picture, 0, slot),
                                                  m_key_zoom.Get(folder, picture, kDefaultKeyZoom, slot)};
      }
    }
    file.folders.push_back(std::move(records));
    file.strip_offsets.push_back(m_strip_offset_by_folder[static_cast<std::size_t>(folder)]);
  }
  file.current_folder = m_folder;
  file.brightness = m_brightness_saved;
  const std::string path = RecordFilePath();
  if (!WriteFileSafely(path, FormatRecordFile(file))) {
    std::fprintf(stderr, "quenmira: could not write %s; the previous record file is kept\n", path.c_str());
  }
}
