// A file name or path for one line of a message to the user.
#pragma once

#include <string>
#include <string_view>

// `name` in double quotes, with its quotes and backslashes escaped by a backslash and control
// bytes written as \xNN, so that any name, one holding a line break included, stays on its line.
std::string QuotedName(std::string_view name);
