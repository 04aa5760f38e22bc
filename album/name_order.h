// How the album store reads and orders folder and picture names.
//
// Every "Less" function is a strict weak ordering usable with std::sort.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// True when `name` is not empty and every byte is '0'..'9'.
bool IsAllDigits(std::string_view name);

// Decimal value of the leading digits of `text` (0 when it starts with none), saturating at
// 2147483647.
int NumericValue(std::string_view text);

// Text before the last '.', or empty when there is no '.'.
std::string BaseName(std::string_view file_name);

// True when `name` contains one of `marks` anywhere, compared case-sensitively: the test behind
// every kind of picture name (bitmap-named, JPEG-named, picture-named).
bool ContainsAnyOf(std::string_view name, std::initializer_list<std::string_view> marks);

// A JPEG name: ".jpg", ".jpeg", ".JPG" or ".JPEG" anywhere, case-sensitively ("scan.Jpg" is none).
bool IsJpegNamedFile(std::string_view name);

// A name the import converts: a JPEG name, or one whose extension (the text after the last '.')
// is png, webp, tif, tiff, gif, heic, heif or avif in any letter case ("a.PNG", "b.Heic").
bool IsImportNamedFile(std::string_view name);

// A bitmap name: ".bmp", ".BMP" or ".Bmp" anywhere ("notes.bmp.txt" is one, "scan.bMp" is not).
bool IsBitmapNamedFile(std::string_view name);

// Folders order by the numeric value of their names.
bool FolderNameLess(std::string_view a, std::string_view b);

// Numbered pictures order by the numeric value of their base names.
bool NumberedNameLess(std::string_view a, std::string_view b);

// Other pictures order by UTF-16 code units with A-Z folded to a-z, a shorter name counting as
// padded with 0; so "_x.bmp" < "A.bmp" < "b.bmp".
bool OtherNameLess(std::string_view a, std::string_view b);
