// The oracle the import fuzzer checks the JPEG decoder against: plain libjpeg, whose warnings
// the viewer's decoder must treat as failures.
#pragma once

#include <cstdint>
#include <span>

// True when plain libjpeg, run over the whole file, gives up or warns of damaged data (every
// warning but the two about unknown metadata codes).
bool PlainLibjpegObjects(std::span<const std::uint8_t> bytes);
