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

}  // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  // Called through syscall() so that it works with C libraries that lack the renameat2 wrapper.
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0) return 0;
  const int error = errno;
  // EINVAL: this file system does not know the flag; ENOSYS: the kernel predates the call.
  if (error != EINVAL && error != ENOSYS) return error;
#endif
  const int link_error = RenameNoReplaceByLink(from, to);
  if (!LinkUnsupported(link_error)) return link_error;
  return RenameNoReplaceChecked(from, to);
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

int RenameNoReplaceChecked(const std::string& from, const std::string& to) {
  struct stat status {};
  if (lstat(to.c_str(), &status) == 0) return EEXIST;
  // Any answer but "no such name" (no permission, a broken path) leaves the name possibly taken.
  if (errno != ENOENT) return errno;
  if (rename(from.c_str(), to.c_str()) != 0) return errno;
  return 0;
}
