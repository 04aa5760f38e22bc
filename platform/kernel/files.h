// File-system calls of the kernel, on std::filesystem; none of them throws.
#pragma once

#include <string>

#include "platform/types.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Creates one folder; false when it exists already or cannot be made.
BOOL CreateDirectoryW(const std::string& path);
// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributesW(const std::string& path);
BOOL DeleteFileW(const std::string& path);
