// The record file: what the user recorded or adjusted per picture, the folder in view, the
// saved brightness and every folder's strip position, as raw little-endian 32-bit values.
//
// Layout: folder count F; per folder its picture count n and n picture records of 624 bytes;
// the current folder; the saved brightness; F strip offsets. It has no header and fits only an
// album whose folders and picture counts are exactly those it was written for.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/play_steps.h"

constexpr int kRecordKeySlots = 50;
constexpr std::size_t kPictureRecordBytes = 624;

struct KeyFrameRecord {
  std::int32_t x = 0;
  std::int32_t y = 0;
  float zoom = 1.5f;
};

struct PictureRecord {
  std::int32_t recorded = 0;
  std::int32_t angle = 0;
  std::int32_t key_count = 0;
  float zoom_target = 2.0f;
  float spare = 1.5f;
  std::int32_t steps = kDefaultPlaySteps;
  std::array<KeyFrameRecord, kRecordKeySlots> keys{};
};

struct RecordFile {
  std::vector<std::vector<PictureRecord>> folders;  // one list of records per folder
  std::int32_t current_folder = 0;
  std::int32_t brightness = 255;
  std::vector<std::int32_t> strip_offsets;  // one per folder
};

// The bytes of a record file.
std::vector<std::uint8_t> FormatRecordFile(const RecordFile& file);

// Size of the record file of an album whose folders hold `picture_counts` pictures: the only
// size a file that fits it can have, and the largest file its exit writes.
std::uint64_t RecordFileBytes(std::span<const int> picture_counts);

// What a record file gives for an album whose folders hold `picture_counts` pictures: the
// folders read before the first that does not fit, and whether the whole file fits (then the
// current folder, brightness and strip offsets are read too). A short file, a value no table
// could hold (a current folder outside the album, a brightness outside 0..255, a key-frame count
// outside 0..50, a step count outside 1..kMaxPlaySteps) or bytes left over make the file not
// fit. An angle of any number of turns is read within one turn, as the picture shows it.
struct RecordLoad {
  bool fits = false;
  RecordFile contents;  // folders: the restored ones only
};
RecordLoad ParseRecordFile(std::span<const std::uint8_t> bytes, std::span<const int> picture_counts);

// The record file's name for an album folder: "./album/" gives "._album_".
std::string RecordNameFor(const std::string& album_dir);

// Writes `bytes` to `path` through a new file beside it, flushed and renamed over the old one,
// so a failed write leaves the previous file whole. False when anything failed.
bool WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);
