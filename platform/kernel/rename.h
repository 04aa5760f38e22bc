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
// without it, falls back to RenameNoReplaceByLink (files only). Where hard links are not
// supported either, nothing is renamed and the result is ENOTSUP: no other way renames without
// risking a replace.
[[nodiscard]] int RenameNoReplace(const std::string& from, const std::string& to);

// The fallback, public for tests: link(from, to) then unlink(from); EEXIST for any existing
// `to`, `from` included. link() itself refuses an existing target, so nothing can be replaced.
// Accepted race: between the two calls both names exist, and if another process puts a
// different file under `from` in that window, the unlink removes that file's name. Fails for
// directories and on file systems without hard links (EPERM, ENOTSUP, ...).
[[nodiscard]] int RenameNoReplaceByLink(const std::string& from, const std::string& to);
