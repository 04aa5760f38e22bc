// The numbering pass: at start-up, every folder's bitmap files are renamed 0.bmp, 1.bmp, ...
// without gaps, numbered names first in numeric order, then the others in name order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The bitmap-named files of one folder in the order the pass numbers them: names whose base is
// all-digit by numeric value, then the others by OtherNameLess. Of the names of one value, the
// one that already is that number's name ("3.bmp" beside "3.BMP" and "03.bmp") comes first;
// other equal keys end in no fixed order.
std::vector<std::string> NumberingOrder(std::vector<std::string> names);

// The positions of `order` (a folder's files, position i to be named i.bmp) in the order to
// rename them: when the name a file is to take is held by a file still to be renamed (in any
// letter case), that file goes first. For a NumberingOrder, every name is then free when its
// turn comes, equal numbers (1.bmp beside 01.bmp) included.
std::vector<std::size_t> RenameSchedule(const std::vector<std::string>& order);

// A rename the pass could not make; the file keeps its name `from`.
struct NumberingRefusal {
  std::string from;  // full paths
  std::string to;
  int error = 0;  // errno value; EEXIST when something already had the name `to`
};

struct NumberingResult {
  int renamed = 0;  // files that got a new name; a file already under its number is not counted
  std::vector<NumberingRefusal> refused;  // at most one per folder: that folder's pass stops there
};

// Renames the bitmap-named files of folders 0 .. u - 1 of `album_dir` (which ends with '/'),
// u being the number of sub-folders of any name, in RenameSchedule order. No file is ever
// replaced or lost: a refused rename (a directory holding a number's name, a file system error)
// writes a line naming the file to `log` (nothing when null), leaves the rest of that folder
// under their names and goes on with the next folder. Silent when a folder or the root cannot be
// listed.
NumberingResult NumberPictures(const std::string& album_dir, std::FILE* log = stderr);
