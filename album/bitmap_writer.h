// Storing a bitmap as a device-independent bitmap file: a 14-byte file header, a 40-byte
// information header, then the rows bottom row first, 3 bytes a pixel (blue, green, red), each
// row padded with zeros to a multiple of 4 bytes.
//
// A file is written whole under a temporary name in its target's folder, synced, and only then
// renamed to its name, so a failed write (a full disk) never leaves part of a file under a name
// a user sees. Every write, the sync and the close are checked.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/gdi/gdi.h"

constexpr int kBitmapHeaderBytes = 54;

// Bytes of one 24-bit row of `width` pixels, padded to a multiple of 4.
std::uint64_t BitmapRowBytes(int width);
// Bytes of the whole file: header and rows.
std::uint64_t BitmapFileBytes(int width, int height);
// The file and information headers of a 24-bit `width` x `height` file.
std::array<std::uint8_t, kBitmapHeaderBytes> BitmapFileHeader(int width, int height);

// A bitmap file written whole under a temporary name in a folder, waiting for its name. The
// disk starts storing it at once; placing it first waits until it is stored (so a caller may
// then delete the picture's only other copy), which is quick when other work came in between.
class StagedBitmapFile {
 public:
  // Writes `bitmap` (not null) to a new temporary file in `folder` ("" is the working folder).
  StagedBitmapFile(HBITMAP bitmap, const std::string& folder);
  // Removes the temporary file unless it was placed.
  ~StagedBitmapFile();
  StagedBitmapFile(const StagedBitmapFile&) = delete;
  StagedBitmapFile& operator=(const StagedBitmapFile&) = delete;

  // True when every write succeeded and the file waits to be placed.
  bool Written() const { return !m_temp.empty(); }

  // Renames the file to `path` (in the same folder), replacing a file of that name.
  [[nodiscard]] bool PlaceReplacing(const std::string& path);

  enum class Placement { kPlaced, kNameTaken, kFailed };
  // Renames the file to `path` (in the same folder) with RenameNoReplace, so only when nothing
  // has that name: kNameTaken when something has it, kFailed for any other refusal (a file
  // system that cannot rename without risking a replace included).
  [[nodiscard]] Placement PlaceIfFree(const std::string& path);

 private:
  // Waits until the file is on disk and closes it; false (and nothing staged) on failure.
  bool Store();

  std::string m_temp;  // path of the temporary file; empty when nothing is staged
  int m_fd = -1;       // open until stored
};

// Writes `bitmap` as a 24-bit file at `path`, replacing an existing file; 1 when the file is
// there whole, 0 otherwise. A null bitmap or an empty path shows the message "wrong param" and
// touches no file; any other failure (missing folder, no rights, full disk) shows nothing.
// Displays here always have more than 8 bits per pixel, so the file is always 24-bit.
[[nodiscard]] int WriteBitmapFile(HBITMAP bitmap, const std::string& path);

// The folder part of `path` without its last '/' ("." when it has none, "/" for the root).
std::string FolderOfPath(const std::string& path);

// Test seam for a full disk: each file written afterwards takes at most `bytes` bytes, then its
// next write fails with ENOSPC. Negative lifts the limit (the default).
void SetBitmapWriteLimitForTesting(std::int64_t bytes);
