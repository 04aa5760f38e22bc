// libFuzzer target: the record-file loader. The first byte chooses where the album's picture
// counts come from: bit 0 set, from the file's own folder and picture counts (so most files fit
// their album); clear, from the next bytes (a folder count, then one byte per folder), so the
// album differs from the file's. The rest is the file.
//
// Checked: the restored folders are a prefix of the album's, each with exactly the album's
// picture count, so every index the loader then writes is inside the tables (the writes are made
// to real tables); every restored record has a key-frame count of 0..50, a step count of
// 1..kMaxPlaySteps and an angle within one turn; the restored records are the file's own bytes
// but for each angle, read within one turn (formatting them gives those bytes back); a file that
// fits is no longer than the size its album's counts give, names a folder of the album and a
// brightness of 0..255, and formatting what was read gives the file byte for byte, angles within
// one turn, which reads back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "app/album_table.h"
#include "app/record_file.h"
#include "render/picture_angle.h"

namespace {

constexpr int kMaxFolders = 8;     // an album this small reaches every branch
constexpr int kMaxPictures = 12;   // per folder: the file is 624 bytes a picture

[[noreturn]] void Fail(const char* what, std::size_t at) {
  std::fprintf(stderr, "record_file_fuzz: %s (folder or byte %zu)\n", what, at);
  __builtin_trap();
}

std::int32_t Int32At(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

// The counts a file declares: its folder count and each folder's picture count, following the
// records; a count out of range (or cut short) is taken as 0.
std::vector<int> CountsOfFile(std::span<const std::uint8_t> file) {
  std::vector<int> counts;
  if (file.size() < 4) return counts;
  const std::int32_t folders = Int32At(file, 0);
  if (folders < 0 || folders > kMaxFolders) return counts;
  std::size_t at = 4;
  for (int f = 0; f < folders; ++f) {
    int count = 0;
    if (file.size() >= 4 && at <= file.size() - 4) {
      const std::int32_t stored = Int32At(file, at);
      if (stored >= 0 && stored <= kMaxPictures) count = stored;
      at += 4 + static_cast<std::size_t>(count) * kPictureRecordBytes;
    }
    counts.push_back(count);
  }
  return counts;
}

// `file` with the angle of every record of the first `folders` folders within one turn: what the
// loader reads from it.
std::vector<std::uint8_t> AnglesWithinOneTurn(std::span<const std::uint8_t> file, std::size_t folders) {
  std::vector<std::uint8_t> out(file.begin(), file.end());
  std::size_t at = 4;
  for (std::size_t f = 0; f < folders && at + 4 <= out.size(); ++f) {
    const std::int32_t count = Int32At(out, at);
    at += 4;
    for (std::int32_t p = 0; p < count && at + kPictureRecordBytes <= out.size(); ++p, at += kPictureRecordBytes) {
      const auto angle = static_cast<std::uint32_t>(WithinOneTurn(Int32At(out, at + 4)));
      for (int i = 0; i < 4; ++i) out[at + 4 + i] = static_cast<std::uint8_t>(angle >> (8 * i));
    }
  }
  return out;
}

bool SameBytes(const std::vector<std::uint8_t>& a, std::span<const std::uint8_t> b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// Writes every restored value where the loader puts it; AddressSanitizer sees any write outside.
void FillTables(const std::vector<int>& counts, const RecordFile& contents) {
  AlbumTable<int> key_count;
  AlbumTable<float> key_zoom;
  key_count.Allocate(counts, 1, 0);
  key_zoom.Allocate(counts, kRecordKeySlots, 1.5f);
  for (std::size_t f = 0; f < contents.folders.size(); ++f) {
    for (std::size_t p = 0; p < contents.folders[f].size(); ++p) {
      const int folder = static_cast<int>(f);
      const int picture = static_cast<int>(p);
      if (!key_count.Contains(folder, picture)) Fail("a restored picture outside the tables", f);
      const PictureRecord& r = contents.folders[f][p];
      key_count.Set(folder, picture, r.key_count);
      for (int slot = 0; slot < r.key_count; ++slot) {
        if (!key_zoom.Contains(folder, picture, slot)) Fail("a key frame outside the tables", f);
        key_zoom.Set(folder, picture, r.keys[static_cast<std::size_t>(slot)].zoom, slot);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::span<const std::uint8_t> rest(data + 1, size - 1);
  std::vector<int> counts;
  if ((data[0] & 1) != 0) {
    counts = CountsOfFile(rest);
  } else {
    if (rest.empty()) return 0;
    const int folders = rest[0] % (kMaxFolders + 1);
    if (rest.size() < 1 + static_cast<std::size_t>(folders)) return 0;
    for (int f = 0; f < folders; ++f) counts.push_back(rest[1 + f] % (kMaxPictures + 1));
    rest = rest.subspan(1 + static_cast<std::size_t>(folders));
  }

  const RecordLoad load = ParseRecordFile(rest, counts);
  const RecordFile& c = load.contents;

  if (c.folders.size() > counts.size()) Fail("more folders than the album has", c.folders.size());
  for (std::size_t f = 0; f < c.folders.size(); ++f) {
    if (c.folders[f].size() != static_cast<std::size_t>(counts[f])) Fail("a folder with the wrong count", f);
    for (const PictureRecord& r : c.folders[f]) {
      if (r.key_count < 0 || r.key_count > kRecordKeySlots) Fail("a key-frame count outside 0..50", f);
      if (r.steps < 1 || r.steps > kMaxPlaySteps) Fail("a step count outside 1..kMaxPlaySteps", f);
      if (r.angle <= -360 || r.angle >= 360) Fail("an angle of a full turn or more", f);
    }
  }
  FillTables(counts, c);

  // The restored folders are read from the file as they stand, angles within one turn: formatted,
  // the same bytes follow the folder count.
  const std::vector<std::uint8_t> read = AnglesWithinOneTurn(rest, c.folders.size());
  if (!c.folders.empty()) {
    RecordFile restored;
    restored.folders = c.folders;
    const std::vector<std::uint8_t> bytes = FormatRecordFile(restored);
    // The folder count and the folders, without the current folder, brightness and offsets.
    const std::size_t head = bytes.size() - 8 - 4 * c.folders.size();
    if (rest.size() < head) Fail("restored more than the file holds", head);
    if (Int32At(rest, 0) != static_cast<std::int32_t>(counts.size())) Fail("a folder count that differs", 0);
    if (std::memcmp(bytes.data() + 4, read.data() + 4, head - 4) != 0) Fail("restored records differ", 0);
  }

  if (!load.fits) return 0;
  if (c.folders.size() != counts.size()) Fail("fits without every folder", c.folders.size());
  if (rest.size() != RecordFileBytes(counts)) Fail("fits with a size its counts do not give", rest.size());
  if (c.current_folder < 0 || static_cast<std::size_t>(c.current_folder) >= counts.size()) {
    Fail("fits with a current folder outside the album", static_cast<std::size_t>(c.current_folder));
  }
  if (c.brightness < 0 || c.brightness > 255) Fail("fits with a brightness outside 0..255", 0);
  if (c.strip_offsets.size() != counts.size()) Fail("fits without one strip offset per folder", 0);

  const std::vector<std::uint8_t> again = FormatRecordFile(c);
  if (!SameBytes(again, read)) Fail("formatting what was read does not give the file", again.size());
  const RecordLoad reread = ParseRecordFile(again, counts);
  if (!reread.fits) Fail("the formatted file does not fit", 0);
  if (!SameBytes(FormatRecordFile(reread.contents), read)) Fail("reading back gives other values", 0);
  return 0;
}
