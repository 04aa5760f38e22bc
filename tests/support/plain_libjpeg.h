// The oracle the JPEG decoder is checked against, by its tests and by the import fuzzer: plain
// libjpeg, whose warnings of damaged data the viewer's decoder must treat as failures.
#pragma once

#include <cstdint>
#include <span>

enum class PlainLibjpegVerdict {
  kClean,   // decoded without a warning that matters
  kWarned,  // decoded, with a warning of damaged data (any but the two about unknown metadata codes)
  kFailed,  // libjpeg gave up
};

// Runs plain libjpeg over the whole file.
PlainLibjpegVerdict PlainLibjpegDecode(std::span<const std::uint8_t> bytes);
