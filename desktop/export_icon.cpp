// Writes the program's window icon as a bitmap file: the picture the build scales into the
// desktop's icon theme, so that the menu shows the icon the window shows.
#include <cstdio>

#include "album/bitmap_writer.h"
#include "resources/resource_bitmaps.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
    return 2;
  }
  HBITMAP icon = LoadBitmapW(IDI_MAINFRAME);
  const int written = WriteBitmapFile(icon, argv[1]);
  DeleteObject(icon);
  if (!written) std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
  return written ? 0 : 1;
}
