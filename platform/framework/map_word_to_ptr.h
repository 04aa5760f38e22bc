// The framework's map from 16-bit keys to pointers, typed by what it holds.
#pragma once

#include <unordered_map>

#include "platform/types.h"

template <class Ptr>
class CMapWordToPtr {
 public:
  explicit CMapWordToPtr(int block_size = 10) { m_map.reserve(static_cast<std::size_t>(block_size)); }

  BOOL Lookup(WORD key, Ptr& value) const {
    auto found = m_map.find(key);
    if (found == m_map.end()) return FALSE;
    value = found->second;
    return TRUE;
  }
  void SetAt(WORD key, Ptr value) { m_map[key] = value; }
  BOOL RemoveKey(WORD key) { return m_map.erase(key) ? TRUE : FALSE; }
  void RemoveAll() { m_map.clear(); }
  int GetCount() const { return static_cast<int>(m_map.size()); }

  template <class Visit>
  void ForEach(Visit visit) const {
    for (const auto& [key, value] : m_map) visit(key, value);
  }

 private:
  std::unordered_map<WORD, Ptr> m_map;
};
