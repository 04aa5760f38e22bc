// The import pass: picture files dropped into the album folders become bitmap files beside them.
//
// Folders are chosen by number: with v sub-folders of any name under the album root, folders 0 to
// v - 1 are visited. In each, every file with a name to import (JPEG names, and PNG, WebP, TIFF,
// GIF, HEIC/HEIF and AVIF extensions: IsImportNamedFile) is decoded, upright by its orientation
// where the format carries one, and written as its base name + ".bmp". A picture a bitmap cannot
// hold whole (an animation, one of several pages or pictures, a pixel not fully opaque) is not
// converted. When another file already has that name, the bitmap gets the first free name
// base~1.bmp, base~2.bmp, ... and both are kept. The picture file is deleted
// only once its bitmap is whole, except when the bitmap's name is its own (photo.jpg.bmp): then
// the bitmap replaces it. A file that cannot be decoded whole (a decoder's warning of damaged data
// counts as failure) stays; "wrong param" is shown for it and a line on standard error says why.
//
// Threads: the pass runs on the caller's thread; while it writes one picture, a helper thread of
// its own decodes the next one. The helper touches nothing but that file and its result, and is
// joined before the pass returns.
#pragma once

#include <string>
#include <string_view>

#include "platform/framework/dialog.h"
#include "platform/gdi/gdi.h"

// The name a picture file's bitmap takes: its base (text before the last '.') + ".bmp".
std::string ImportTargetName(std::string_view name);

// Candidate `k` for a bitmap whose target name is taken: the target itself for k = 0, then
// base~k.bmp ("photo.bmp" gives "photo~1.bmp", "photo~2.bmp", ...).
std::string ImportCandidateName(std::string_view target, int k);

// What the pass shows while it runs; called on the pass's thread.
class ImportObserver {
 public:
  virtual ~ImportObserver() = default;
  // `picture` (owned by the pass, valid during the call) was written; it came from picture
  // file `number` (1-based, in visiting order) of `total` found in the visited folders.
  virtual void OnPictureConverted(HBITMAP picture, int number, int total) = 0;
};

// Shows nothing: for an import with no window.
class SilentImport final : public ImportObserver {
 public:
  void OnPictureConverted(HBITMAP, int, int) override {}
};

// Draws on the window: black over the screen, the picture unscaled and centred (clipped when it
// is larger), and a small "k of N" line in the top-left corner.
class WindowImportDisplay final : public ImportObserver {
 public:
  WindowImportDisplay(HWND window, int screen_width, int screen_height)
      : m_window(window), m_screen_width(screen_width), m_screen_height(screen_height) {}
  void OnPictureConverted(HBITMAP picture, int number, int total) override;

 private:
  HWND m_window;
  int m_screen_width;
  int m_screen_height;
};

struct ImportResult {
  bool root_listed = false;  // false: the album root could not be listed and nothing was done
  int found = 0;             // files with names to import in the visited folders
  int converted = 0;         // bitmaps written whole
  int failed = 0;            // such files left in place (not decoded or not written)
};

// Runs the pass over `album_dir` (ending with '/'). When the album root cannot be listed the
// caller gives up as start-up describes (pauses rendering, opens the album page, closes).
[[nodiscard]] ImportResult ImportPictures(const std::string& album_dir, ImportObserver& observer);
