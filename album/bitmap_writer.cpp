#include "album/bitmap_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/kernel/rename.h"
#include "platform/window/message_box.h"

namespace {

static_assert(std::endian::native == std::endian::little, "pixels are copied as little-endian words");

std::atomic<std::int64_t> g_write_limit{-1};
std::atomic<unsigned> g_temp_counter{0};

// Largest file the 32-bit size field can describe.
constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFu;
// Rows are converted and written in chunks of about this many bytes.
constexpr std::uint64_t kChunkBytes = std::uint64_t{1} << 20;

void Put16(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t v) {
  Put16(at, v);
  Put16(at + 2, v >> 16);
}

// Writes all of `data`, counting against `budget` (negative: no limit); false on any failure.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, std::int64_t& budget) {
  while (size > 0) {
    std::size_t chunk = size;
    if (budget >= 0) {
      if (budget == 0) {
        errno = ENOSPC;
        return false;
      }
      chunk = std::min<std::size_t>(chunk, static_cast<std::size_t>(budget));
    }
    const ssize_t done = ::write(fd, data, chunk);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<std::size_t>(done);
    if (budget >= 0) budget -= done;
  }
  return true;
}

// Writes the header and the rows of `bitmap`, bottom row first.
bool WriteBitmapBytes(int fd, HBITMAP bitmap) {
  const PixelBuffer pixels = BitmapPixels(bitmap);
  const int width = pixels.width;
  const int height = pixels.height;
  if (BitmapFileBytes(width, height) > kMaxFileBytes) return false;
  std::int64_t budget = g_write_limit.load();
  const auto header = BitmapFileHeader(width, height);
  if (!WriteAll(fd, header.data(), header.size(), budget)) return false;

  const auto row_bytes = static_cast<std::size_t>(BitmapRowBytes(width));
  if (row_bytes == 0 || height == 0) return true;
  const std::size_t rows_per_chunk =
      std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(kChunkBytes / row_bytes), height));
  std::vector<std::uint8_t> chunk;
  try {
    chunk.assign(row_bytes * rows_per_chunk, 0);  // padding bytes stay zero
  } catch (const std::bad_alloc&) {
    return false;
  }
  int y = height - 1;
  while (y >= 0) {
    std::size_t rows = 0;
    for (; rows < rows_per_chunk && y >= 0; ++rows, --y) {
      const Pixel* src = pixels.Row(y);
      std::uint8_t* out = chunk.data() + rows * row_bytes;
      // A little-endian 0x00RRGGBB word starts with blue, green, red: each pixel is stored as a
      // whole word whose fourth byte the next pixel overwrites; the last one byte by byte, so the
      // row's padding stays zero.
      for (int x = 0; x + 1 < width; ++x, out += 3) std::memcpy(out, &src[x], 3 + 1);
      const Pixel last = src[width - 1];
      out[0] = static_cast<std::uint8_t>(last);        // blue
      out[1] = static_cast<std::uint8_t>(last >> 8);   // green
      out[2] = static_cast<std::uint8_t>(last >> 16);  // red
    }
    if (!WriteAll(fd, chunk.data(), rows * row_bytes, budget)) return false;
  }
  return true;
}

// A new file in `folder` under a hidden name that no picture pattern matches; -1 on failure.
int CreateTemporaryFile(const std::string& folder, std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + "/.quenmira-" + std::to_string(::getpid()) + "-" + std::to_string(g_temp_counter.fetch_add(1)) +
           ".part";
    // 0666 under the umask, as any new file of the user's.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::uint64_t BitmapRowBytes(int width) {
  if (width <= 0) return 0;
  return (std::uint64_t(width) * 24 + 31) / 32 * 4;
}

std::uint64_t BitmapFileBytes(int width, int height) {
  return kBitmapHeaderBytes + BitmapRowBytes(width) * static_cast<std::uint64_t>(std::max(height, 0));
}

std::array<std::uint8_t, kBitmapHeaderBytes> BitmapFileHeader(int width, int height) {
  std::array<std::uint8_t, kBitmapHeaderBytes> h{};
  h[0] = 'B';
  h[1] = 'M';
  Put32(&h[2], static_cast<std::uint32_t>(BitmapFileBytes(width, height)));
  Put32(&h[10], kBitmapHeaderBytes);  // pixel data offset; bytes 6 to 9 stay 0
  Put32(&h[14], 40);                  // information header size
  Put32(&h[18], static_cast<std::uint32_t>(width));
  Put32(&h[22], static_cast<std::uint32_t>(height));  // positive: bottom row first
  Put16(&h[26], 1);                                    // planes
  Put16(&h[28], 24);                                   // bits per pixel
  // Compression, image size, resolutions and colour counts stay 0.
  return h;
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

StagedBitmapFile::StagedBitmapFile(HBITMAP bitmap, const std::string& folder) {
  if (!bitmap) return;
  std::string temp;
  const int fd = CreateTemporaryFile(folder.empty() ? std::string(".") : folder, temp);
  if (fd < 0) return;
  if (!WriteBitmapBytes(fd, bitmap)) {
    ::close(fd);
    ::unlink(temp.c_str());
    return;
  }
  // Starts writing to disk without waiting; Store waits for the rest.
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  m_fd = fd;
  m_temp = temp;
}

StagedBitmapFile::~StagedBitmapFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

bool StagedBitmapFile::Store() {
  if (m_temp.empty()) return false;
  if (m_fd < 0) return true;
  // Synced before it gets its name: the caller may delete the only other copy of the picture.
  bool stored = ::fdatasync(m_fd) == 0;
  stored = (::close(m_fd) == 0) && stored;
  m_fd = -1;
  if (!stored) {
    ::unlink(m_temp.c_str());
    m_temp.clear();
  }
  return stored;
}

bool StagedBitmapFile::PlaceReplacing(const std::string& path) {
  if (!Store() || ::rename(m_temp.c_str(), path.c_str()) != 0) return false;
  m_temp.clear();
  return true;
}

StagedBitmapFile::Placement StagedBitmapFile::PlaceIfFree(const std::string& path) {
  if (!Store()) return Placement::kFailed;
  const int error = RenameNoReplace(m_temp, path);
  if (error == EEXIST) return Placement::kNameTaken;
  if (error != 0) return Placement::kFailed;
  m_temp.clear();
  return Placement::kPlaced;
}

int WriteBitmapFile(HBITMAP bitmap, const std::string& path) {
  if (!bitmap || path.empty()) {
    MessageBoxW(nullptr, "wrong param", "Quenmira", MB_OK);
    return 0;
  }
  StagedBitmapFile staged(bitmap, FolderOfPath(path));
  return staged.PlaceReplacing(path) ? 1 : 0;
}

void SetBitmapWriteLimitForTesting(std::int64_t bytes) { g_write_limit.store(bytes); }
