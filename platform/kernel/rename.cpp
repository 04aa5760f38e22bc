#include "platform/kernel/rename.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The RENAME_NOREPLACE flag of renameat2(2); spelled out so that older C library headers do.
constexpr unsigned kRenameNoReplace = 1u << 0;

// True for the errors by which link() says the file system cannot give this file a second name.
bool LinkUnsupported(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS || error == EMLINK;
}

// True when `from` and `to` lead to one and the same directory entry: the same name, or names
// that differ only in letter case on a case-insensitive file system. A file with more than one
// link is not taken for one entry, since its other name may be `to`.
bool SameEntry(const std::string& from, const std::string& to) {
  struct stat a {};
  struct stat b {};
  if (lstat(from.c_str(), &a) != 0 || lstat(to.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (S_ISDIR(a.st_mode) || a.st_nlink == 1);
}

int RenameNoReplaceOnce(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  // Called through syscall() so that it works with C libraries that lack the renameat2 wrapper.
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0) return 0;
  const int error = errno;
  // EINVAL or ENOTSUP: this file system does not know the flag; ENOSYS: the kernel predates the call.
  if (error != EINVAL && error != ENOTSUP && error != ENOSYS) return error;
#endif
  const int link_error = RenameNoReplaceByLink(from, to);
  return LinkUnsupported(link_error) ? ENOTSUP : link_error;
}

}  // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
  const int error = RenameNoReplaceOnce(from, to);
  // The refusal saw `from` itself under the name `to` ("0.BMP" to "0.bmp" on a case-insensitive
  // file system): rename() replaces nothing there and changes the letter case. Accepted race: a
  // file put under `to` between the check and the rename is replaced.
  if (error == EEXIST && SameEntry(from, to)) return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  return error;
}

int RenameNoReplaceByLink(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  if (unlink(from.c_str()) != 0) {
    const int error = errno;
    // The file still has its old name; drop the new one so that nothing changed.
    (void)unlink(to.c_str());
    return error;
  }
  return 0;
}
