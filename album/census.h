// Counting what the album folder holds: pictures in one folder, and usable numbered folders.
#pragma once

#include <string>
#include <string_view>

// Number of entries matching `pattern` (e.g. "./album/3/*.bmp"), directories included; 0 when
// nothing matches or the folder is missing.
int CountPictures(const std::string& pattern);

// True when `name` contains, case-sensitively, ".jpg", ".jpeg", ".JPG", ".JPEG", ".BMP" or
// ".bmp" anywhere (so "notes.jpg.txt" is one and "scan.Jpg" is not).
bool IsPictureNamedFile(std::string_view name);

// Length of the run of folders "0", "1", "2", ... under `album_dir` (which ends with '/') that
// each hold a picture-named file. A folder that cannot be listed counts as empty; 0 when
// `album_dir` cannot be listed.
int CountUsableFolders(const std::string& album_dir);
