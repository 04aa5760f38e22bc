#include "interaction/web_page.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

const char* const kAlbumPageUrl = "https://www.vellumor.example/free_quenmira/album.aspx";

bool OpenAlbumWebPage() {
  char opener[] = "xdg-open";
  char url[256];
  snprintf(url, sizeof url, "%s", kAlbumPageUrl);
  char* argv[] = {opener, url, nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return false;
  // Reap the opener whenever it ends, so no zombie is left behind.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  return true;
}
