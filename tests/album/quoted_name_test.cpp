#include "album/quoted_name.h"

#include <gtest/gtest.h>

#include <string>

TEST(QuotedName, KeepsAnyNameOnOneLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "\"\""},
      {"./album/3/holiday.jpg", "\"./album/3/holiday.jpg\""},
      {"say \"cheese\".bmp", "\"say \\\"cheese\\\".bmp\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"line\nbreak\r\t.bmp", "\"line\\x0Abreak\\x0D\\x09.bmp\""},
      {std::string("nul\0x", 5), "\"nul\\x00x\""},
      {"del\x7F", "\"del\\x7F\""},
      // Bytes of other scripts, and bytes that are no text at all, pass as they are.
      {"\xe7\x85\xa7\xe7\x89\x87 \xff.bmp", "\"\xe7\x85\xa7\xe7\x89\x87 \xff.bmp\""},
  };
  for (const auto& [name, quoted] : cases) EXPECT_EQ(QuotedName(name), quoted) << name;
}
