// Renaming that never replaces an existing file, as the desktop API's MoveFile does; POSIX
// rename() would silently replace the target, losing the file that held its name.
#pragma once

#include <string>

// Gives the file (or directory) `from` the name `to`. Returns 0 on success, otherwise an errno
// value, and no file has been replaced or lost: EEXIST when anything else already has the name
// `to` (another file, a directory, a link, or another hard link of `from`). A name that leads
// to `from`'s own entry is no obstacle: renaming onto the own name succeeds and changes nothing,
// and on a case-insensitive file system "0.BMP" to "0.bmp" changes the letter case.
//
// Uses renameat2(RENAME_NOREPLACE), which the kernel makes atomic. On a file system or kernel
// without it, falls back to RenameNoReplaceByLink, and where hard links are not supported
// either, to RenameNoReplaceChecked.
[[nodiscard]] int RenameNoReplace(const std::string& from, const std::string& to);

// The fallbacks, public for tests; both return EEXIST for any existing `to`, `from` included.
//
// link(from, to) then unlink(from). link() itself refuses an existing target, so nothing can be
// replaced. Accepted race: between the two calls both names exist, and if another process puts
// a different file under `from` in that window, the unlink removes that file's name. Fails for
// directories and on file systems without hard links (EPERM, ENOTSUP, ...).
[[nodiscard]] int RenameNoReplaceByLink(const std::string& from, const std::string& to);

// lstat(to) and, when nothing is there, rename(from, to). Accepted race: a file that another
// process creates under `to` between the check and the rename is replaced. The album folder
// belongs to the viewer during start-up, so no other writer is expected there.
[[nodiscard]] int RenameNoReplaceChecked(const std::string& from, const std::string& to);
