// One album table: an entry (or a block of slots) per picture of every folder, sized once
// from the picture counts taken at start-up and never resized. Entries are shared between
// threads without a lock, so each is a relaxed atomic.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/kernel/relaxed.h"

template <class T>
class AlbumTable {
 public:
  // One entry per picture (times `slots`), every entry set to `initial`.
  void Allocate(const std::vector<int>& picture_counts, int slots, T initial) {
    m_slots = slots > 0 ? slots : 1;
    m_offsets.assign(picture_counts.size() + 1, 0);
    for (std::size_t f = 0; f < picture_counts.size(); ++f) {
      std::size_t pictures = picture_counts[f] > 0 ? static_cast<std::size_t>(picture_counts[f]) : 0;
      m_offsets[f + 1] = m_offsets[f] + pictures;
    }
    std::size_t total = m_offsets.back() * static_cast<std::size_t>(m_slots);
    m_entries = std::make_unique<Relaxed<T>[]>(total);
    for (std::size_t i = 0; i < total; ++i) m_entries[i] = initial;
  }

  void Release() {
    m_entries.reset();
    m_offsets.clear();
  }

  int FolderCount() const { return m_offsets.empty() ? 0 : static_cast<int>(m_offsets.size() - 1); }
  int PictureCount(int folder) const {
    if (folder < 0 || folder >= FolderCount()) return 0;
    return static_cast<int>(m_offsets[folder + 1] - m_offsets[folder]);
  }
  bool Contains(int folder, int picture, int slot = 0) const {
    return picture >= 0 && picture < PictureCount(folder) && slot >= 0 && slot < m_slots;
  }

  // The entry, or null for an index outside the table (a folder or picture added later).
  Relaxed<T>* Find(int folder, int picture, int slot = 0) {
    if (!Contains(folder, picture, slot)) return nullptr;
    return &m_entries[(m_offsets[folder] + static_cast<std::size_t>(picture)) * m_slots + slot];
  }
  T Get(int folder, int picture, T outside, int slot = 0) const {
    if (!Contains(folder, picture, slot)) return outside;
    return m_entries[(m_offsets[folder] + static_cast<std::size_t>(picture)) * m_slots + slot];
  }
  // Ignored outside the table.
  void Set(int folder, int picture, T value, int slot = 0) {
    if (Relaxed<T>* entry = Find(folder, picture, slot)) *entry = value;
  }

 private:
  std::vector<std::size_t> m_offsets;  // first picture of each folder, then the total
  std::unique_ptr<Relaxed<T>[]> m_entries;
  int m_slots = 1;
};
