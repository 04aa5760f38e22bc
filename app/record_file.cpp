#include "app/record_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/picture_angle.h"

namespace {

// Fills a buffer of the file's exact size: a large album's file is megabytes, and growing it a
// byte at a time cost more than everything else in writing it.
class Writer {
 public:
  explicit Writer(std::size_t size) : m_bytes(size) {}
  void Int(std::int32_t v) {
    std::uint32_t u = static_cast<std::uint32_t>(v);
    std::uint8_t* out = m_bytes.data() + m_at;
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(u >> (8 * i));
    m_at += 4;
  }
  void Float(float f) {
    std::int32_t v;
    std::memcpy(&v, &f, sizeof v);
    Int(v);
  }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<std::uint8_t> m_bytes;
  std::size_t m_at = 0;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  bool Int(std::int32_t& v) {
    if (m_bytes.size() - m_at < 4) return false;
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(m_bytes[m_at + i]) << (8 * i);
    m_at += 4;
    v = static_cast<std::int32_t>(u);
    return true;
  }
  bool Float(float& f) {
    std::int32_t v;
    if (!Int(v)) return false;
    std::memcpy(&f, &v, sizeof f);
    return true;
  }
  bool AtEnd() const { return m_at == m_bytes.size(); }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_at = 0;
};

// Largest stored pan, key-frame or strip position: far beyond any screen, far below overflow.
constexpr std::int32_t kMaxStoredOffset = 1 << 30;
constexpr float kMaxStoredZoom = 1000.0f;

bool SaneOffset(std::int32_t v) { return v >= -kMaxStoredOffset && v <= kMaxStoredOffset; }
bool SaneZoom(float z) { return std::isfinite(z) && z >= 0.0f && z <= kMaxStoredZoom; }

bool ReadPicture(Reader& in, PictureRecord& p) {
  bool ok = in.Int(p.recorded) && in.Int(p.angle) && in.Int(p.key_count) && in.Float(p.zoom_target) &&
            in.Float(p.spare) && in.Int(p.steps);
  for (KeyFrameRecord& k : p.keys) ok = ok && in.Int(k.x) && in.Int(k.y) && in.Float(k.zoom);
  if (!ok) return false;
  // Earlier builds stepped angles past a full turn (370, 380, ...): every turn counts as none.
  p.angle = WithinOneTurn(p.angle);
  // Values that would index outside a table or a path are not taken, nor values the viewer's
  // arithmetic could overflow with (zooms are small).
  bool sane = p.key_count >= 0 && p.key_count <= kRecordKeySlots && p.steps >= 1 && p.steps <= kMaxPlaySteps &&
              SaneZoom(p.zoom_target);
  for (const KeyFrameRecord& k : p.keys) sane = sane && SaneOffset(k.x) && SaneOffset(k.y) && SaneZoom(k.zoom);
  return sane;
}

// Folder count, current folder, brightness; per folder its picture count and strip offset; per
// picture its record.
std::uint64_t FileBytes(std::uint64_t folders, std::uint64_t pictures) {
  return 4 + 8 + 8 * folders + kPictureRecordBytes * pictures;
}

}  // namespace

std::uint64_t RecordFileBytes(std::span<const int> picture_counts) {
  std::uint64_t pictures = 0;
  for (int count : picture_counts) pictures += static_cast<std::uint64_t>(std::max(count, 0));
  return FileBytes(picture_counts.size(), pictures);
}

std::vector<std::uint8_t> FormatRecordFile(const RecordFile& file) {
  std::uint64_t pictures = 0;
  for (const auto& folder : file.folders) pictures += folder.size();
  Writer out(static_cast<std::size_t>(FileBytes(file.folders.size(), pictures)));
  out.Int(static_cast<std::int32_t>(file.folders.size()));
  for (const auto& folder : file.folders) {
    out.Int(static_cast<std::int32_t>(folder.size()));
    for (const PictureRecord& p : folder) {
      out.Int(p.recorded);
      out.Int(p.angle);
      out.Int(p.key_count);
      out.Float(p.zoom_target);
      out.Float(p.spare);
      out.Int(p.steps);
      for (const KeyFrameRecord& k : p.keys) {
        out.Int(k.x);
        out.Int(k.y);
        out.Float(k.zoom);
      }
    }
  }
  out.Int(file.current_folder);
  out.Int(file.brightness);
  for (std::size_t i = 0; i < file.folders.size(); ++i) {
    out.Int(i < file.strip_offsets.size() ? file.strip_offsets[i] : 0);
  }
  return out.Take();
}

RecordLoad ParseRecordFile(std::span<const std::uint8_t> bytes, std::span<const int> picture_counts) {
  RecordLoad load;
  Reader in(bytes);
  std::int32_t folder_count = 0;
  if (!in.Int(folder_count) || folder_count != static_cast<std::int32_t>(picture_counts.size())) return load;
  for (int count : picture_counts) {
    std::int32_t stored = 0;
    if (!in.Int(stored) || stored != count) return load;
    std::vector<PictureRecord> folder(static_cast<std::size_t>(count));
    for (PictureRecord& p : folder) {
      if (!ReadPicture(in, p)) return load;
    }
    load.contents.folders.push_back(std::move(folder));
  }
  RecordFile& c = load.contents;
  if (!in.Int(c.current_folder) || !in.Int(c.brightness)) return load;
  c.strip_offsets.resize(picture_counts.size());
  for (std::int32_t& offset : c.strip_offsets) {
    if (!in.Int(offset) || !SaneOffset(offset)) return load;
  }
  bool folder_ok = c.current_folder >= 0 && c.current_folder < folder_count;
  load.fits = folder_ok && c.brightness >= 0 && c.brightness <= 255 && in.AtEnd();
  return load;
}

std::string RecordNameFor(const std::string& album_dir) {
  // '/' plays the part of the path separator the name was first derived from.
  auto replace_all = [](std::string text, const std::string& from, const std::string& to) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
      if (text.compare(at, from.size(), from) == 0) {
        out += to;
        at += from.size();
      } else {
        out += text[at++];
      }
    }
    return out;
  };
  std::string name = replace_all(album_dir, "/", "//");
  name = replace_all(name, "_", "underline6215");
  name = replace_all(name, ":", "_");
  return replace_all(name, "//", "_");
}

bool WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::string temporary = path + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  bool ok = written == bytes.size() && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}
