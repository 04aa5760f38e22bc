#include "album/name_order.h"

#include <algorithm>
#include <climits>
#include <string>

#include "platform/kernel/text.h"

bool IsAllDigits(std::string_view name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ContainsAnyOf(std::string_view name, std::initializer_list<std::string_view> marks) {
  return std::any_of(marks.begin(), marks.end(),
                     [&](std::string_view mark) { return name.find(mark) != std::string_view::npos; });
}

bool IsJpegNamedFile(std::string_view name) { return ContainsAnyOf(name, {".jpg", ".jpeg", ".JPG", ".JPEG"}); }

bool IsImportNamedFile(std::string_view name) {
  if (IsJpegNamedFile(name)) return true;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const std::string_view known : {"png", "webp", "tif", "tiff", "gif", "heic", "heif", "avif"}) {
    if (extension == known) return true;
  }
  return false;
}

bool IsBitmapNamedFile(std::string_view name) { return ContainsAnyOf(name, {".bmp", ".BMP", ".Bmp"}); }

int NumericValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    if (value > (INT_MAX - digit) / 10) return INT_MAX;
    value = value * 10 + digit;
  }
  return value;
}

std::string BaseName(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(file_name.substr(0, dot));
}

bool FolderNameLess(std::string_view a, std::string_view b) {
  return NumericValue(a) < NumericValue(b);
}

bool NumberedNameLess(std::string_view a, std::string_view b) {
  return NumericValue(BaseName(a)) < NumericValue(BaseName(b));
}

bool OtherNameLess(std::string_view a, std::string_view b) {
  const std::u16string ua = Utf8ToUtf16(a);
  const std::u16string ub = Utf8ToUtf16(b);
  const auto unit = [](const std::u16string& s, std::size_t i) -> unsigned {
    if (i >= s.size()) return 0;
    const unsigned u = s[i];
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
  };
  const std::size_t length = std::max(ua.size(), ub.size());
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned x = unit(ua, i);
    const unsigned y = unit(ub, i);
    if (x != y) return x < y;
  }
  return false;
}
