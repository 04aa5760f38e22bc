// First-run files and the brand screen: they make the program usable from an empty working
// folder and greet the user.
#include "app/first_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "album/album_paths.h"
#include "album/bitmap_writer.h"
#include "album/name_order.h"
#include "app/orvale_dlg.h"
#include "platform/kernel/file_find.h"
#include "platform/kernel/files.h"
#include "platform/kernel/time.h"
#include "platform/window/window_dc.h"
#include "platform/window/window_system.h"
#include "resources/resource_bitmaps.h"

namespace {

struct Paragraph {
  const char* text;
  int line_feeds;
};

// The readme's paragraphs and the line feeds that end each.
constexpr Paragraph kReadme[] = {
    {"Thank you for using Vellumor Quenmira 2.1. Now let's learn how to use it.", 2},
    {"Album Management:", 2},
    {"1. By running the Quenmira.exe, it will produce an album folder with 21 sub-folders automatically.", 1},
    {"2. The sub-folder numbered 0 has an example bitmap image file in it, you can replace this file with your own picture.", 1},
    {"3. In fact you can put any JPG or Bitmap files into any sub-folders, your files could be of any name, the software will convert everything for you.", 1},
    {"4. You should fill the sub-folders with your image files from lower end, i.e., first folder 0, then 1, then 2, 3, 4, 5, 6, ... ", 1},
    {"5. Suppose you have filled sub-folders up to 10 with your image files, but you forgot to fill sub-folder 4 with any image file, what will happen? ", 1},
    {"6. In this case, the software will only think you have 4 good sub-folders, i.e., 0, 1, 2, 3. It will never mind the folders 4, 5, 6, 7, 8, 9, 10, although your pictures are still in there.", 1},
    {"7. By default there are 21 sub-folders in total. But you can create any new sub-folder, starting from 21, 22, 23, ..., up to 1000.", 1},
    {"8. Within each sub-folder you can put in 1000 pictures.", 1},
    {"9. Use mouse right button menu, choose Search item to quickly locate your sub-folder(in the lower bar) and image file(in the upper bar) you required.", 2},
    {"Special Operations: ", 2},
    {"1. Press Esc on the key board to exit the program safely. Or just by using the mouse right button menu and choose Exit menu item.", 1},
    {"2. Within the menu you can use the Record item to record Zoom/Pan movements of the pictures.", 1},
    {"3. The Static item of the menu can be used to panning manually a zoomed picture. Under this state you can switch pictures within a sub-folder by turn the middle wheel. ", 1},
    {"4. Within Fixed menu item there are 3 sub-choices triggered by cursor delaying duration: less than 3 seconds - normal fixed; 3 to 5 seconds - fast fixed; 5up - special fast.", 1},
    {"5. Fast fixed mode is used to produce manual controlled movie actions - suppose you have put into a special sub-folder with movie screenshots of your like.", 1},
    {"6. By pressing and turning the middle wheel of the mouse, you can change the displaying brightness, this helps preventing stimulation of eyes under darkness.", 1},
    {"7. By pressing down the right button of your mouse and turn the middle wheel, you can turn a picture to any angle.", 2},
    {"Basic Warnings:", 2},
    {"1. Don't put only one picture into a subfolder. It will cause failure sometimes. We suggest putting into a subfolder at lest 3 image files.", 1},
    {"2. Your image files should not be too big, better less than the size of a normal screen (1440*900).", 1},
    {"3. Keep any bitmap file less than 2MB each, 0.5 ~ 1.5MB recommended. If an image file is too big, such as 5 ~ 8MB directly from camera, the program will be running too slow.", 1},
    {"4. Don't use keyboard. Although you can use arrow keys for switching folders and image files, it is not very safe right now, can cause failure sometimes.", 1},
    {"5. Any time if the program fails, just start up again and every thing should be ok. If not ok, you can try deleting the '._album_.txt' file and then restart.", 1},
    {"6. The '._album_.txt' file contains all of the recorded data. On detecting a change of the album structure, it will be automatically deleted and created again.", 2},
    {"Usage Suggestions:", 2},
    {"1. Keep your eyes away from screen at a distance, such as 2 meters off the screen. A dynamical album viewer is something like a TV set. It is for being watched, not for being read.", 1},
    {"2. You may choose longer mouse-cable or use wireless mouse to make a remote control. That makes your album more interesting and others might be sharing with you. ", 1},
    {"3. Usually you can set up 800 sub-folders to hold about 10,000 pictures of your like, each folder about 5 ~ 300 pictures. The album size could be 500MB ~ 8GB depending how many pictures in your album. ", 3},
    {"Vellumor Software Studio", 1},
    {"https://www.vellumor.example/ ", 1},
};

constexpr COLORREF kBrandBackground = RGB(125, 125, 125);
constexpr COLORREF kBrandText = RGB(170, 170, 170);

}  // namespace

std::string ReadmeText() {
  std::string text;
  for (const Paragraph& p : kReadme) {
    text += p.text;
    text.append(static_cast<std::size_t>(p.line_feeds), '\n');
  }
  return text;
}

void COrvaleDlg::ShowSplash() {
  ShowCursor(FALSE);
  Sleep(100);
  HDC window = GetDC(this);
  const int example_width = kExamplePictureWidth;
  HFONT font = CreateFontW(90, 40, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 2 /*character precision*/,
                           1 /*character clipping*/, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
  HFONT previous = SelectObject(window, font);
  SetTextColor(window, kBrandText);
  // The fill leaves the background colour grey too, so the text's opaque cell matches it.
  FillSolidRect(window, 0, 0, m_screen_w, m_screen_h, kBrandBackground);
  TextOutW(window, (m_screen_w - example_width - 40) / 2, (m_screen_h - 90) / 2, "Vellumor", -1);
  SelectObject(window, previous);
  ReleaseDC(this, window);
  Sleep(m_splash_ms);
  DeleteObject(font);
}

void COrvaleDlg::EnsureExamplePicture() {
  const std::string folder = FolderPath(m_album_dir, 0);
  int bitmaps = 0;
  CFileFind finder;
  bool more = finder.FindFile(folder + "*.*");
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots() || finder.IsDirectory()) continue;
    if (IsBitmapNamedFile(finder.GetFileName())) ++bitmaps;
  }
  if (bitmaps != 0) return;
  // Placed only where nothing has the name: a name the count above does not see (0.bMp on a
  // file system that ignores letter case, a link to a folder) belongs to the user.
  HBITMAP example = LoadBitmapW(IDB_EXAMPLE);
  StagedBitmapFile staged(example, FolderOfPath(folder + "0.bmp"));
  DeleteObject(example);
  using Placement = StagedBitmapFile::Placement;
  const Placement placement = staged.PlaceIfFree(folder + "0.bmp");
  if (placement == Placement::kNameTaken) {
    std::fprintf(stderr, "quenmira: %s0.bmp is taken; no example picture is written\n", folder.c_str());
  } else if (placement == Placement::kFailed) {
    std::fprintf(stderr, "quenmira: could not write the example picture into %s\n", folder.c_str());
  }
}

void COrvaleDlg::WriteReadme() {
  const std::string path = m_album_dir + "Readme.txt";
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return;
  // Created only when missing: a user's edited readme, even an empty one, is never replaced.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string text = ReadmeText();
  std::size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (written != text.size()) std::fprintf(stderr, "quenmira: could not write %s\n", path.c_str());
}
