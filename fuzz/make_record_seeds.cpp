// Writes the seed corpus of the record-file fuzzer: record files made by FormatRecordFile for a
// few albums, whole, cut short, with a value no table could hold, and for an album they do not
// fit. Each seed is the fuzzer's first byte (1: the album is the file's own; 0: the album
// follows) and the file. Build the target record_file_seeds in a fuzz build and run it with the
// corpus folder (fuzz/corpus/record_file) as its argument; it replaces that folder's files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/record_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

PictureRecord Recorded(int keys, int steps, int angle) {
  PictureRecord r;
  r.recorded = 1;
  r.angle = angle;
  r.key_count = keys;
  r.steps = steps;
  r.zoom_target = 2.5f;
  for (int k = 0; k < keys; ++k) r.keys[static_cast<std::size_t>(k)] = {k * 40 - 300, 200 - k * 7, 1.0f + 0.05f * k};
  return r;
}

// The file's own album: mode byte 1.
Bytes Own(const Bytes& file) {
  Bytes seed{1};
  seed.insert(seed.end(), file.begin(), file.end());
  return seed;
}

// Another album: mode byte 0, the folder count and each folder's picture count.
Bytes Other(const Bytes& file, const std::vector<std::uint8_t>& counts) {
  Bytes seed{0, static_cast<std::uint8_t>(counts.size())};
  seed.insert(seed.end(), counts.begin(), counts.end());
  seed.insert(seed.end(), file.begin(), file.end());
  return seed;
}

Bytes Cut(Bytes file, std::size_t size) {
  file.resize(size);
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path out = argv[1];
  fs::create_directories(out);
  for (const fs::directory_entry& e : fs::directory_iterator(out)) fs::remove(e.path());

  RecordFile one;  // one folder, one untouched picture
  one.folders = {{PictureRecord{}}};
  one.strip_offsets = {0};

  RecordFile three;  // three folders, one empty; a recorded picture; the last folder in view
  three.folders = {{PictureRecord{}, Recorded(5, 7, 90)}, {}, {Recorded(3, 1, -10), PictureRecord{}, Recorded(0, 10, 0)}};
  three.current_folder = 2;
  three.brightness = 128;
  three.strip_offsets = {-1280, 0, -640};

  RecordFile full;  // every key-frame slot used
  full.folders = {{Recorded(kRecordKeySlots, 3, 180)}, {Recorded(kRecordKeySlots, 200, 270)}};
  full.current_folder = 1;
  full.brightness = 0;
  full.strip_offsets = {-1024, 512};

  RecordFile empty;  // an album of no folders: no current folder can fit it
  RecordFile bright = one;  // a brightness no table could hold
  bright.brightness = 300;
  RecordFile keys = three;  // a key-frame count past the slots
  keys.folders[0][1].key_count = kRecordKeySlots + 1;
  RecordFile steps = three;  // a step count of 0
  steps.folders[2][0].steps = 0;
  RecordFile outside = three;  // a current folder past the album
  outside.current_folder = 3;
  RecordFile turns = three;  // angles of earlier builds, turned past a full circle: they fit
  turns.folders[0][0].angle = 370;
  turns.folders[0][1].angle = -730;
  turns.folders[2][2].angle = 3600;
  RecordFile many_steps = three;  // one step count more than a playback uses
  many_steps.folders[0][1].steps = kMaxPlaySteps + 1;

  const Bytes a = FormatRecordFile(one);
  const Bytes b = FormatRecordFile(three);
  const Bytes c = FormatRecordFile(full);
  Bytes trailing = a;
  trailing.push_back(0);

  const std::vector<std::pair<std::string, Bytes>> seeds = {
      {"one_folder", Own(a)},
      {"three_folders", Own(b)},
      {"all_key_slots", Own(c)},
      {"no_folders", Own(FormatRecordFile(empty))},
      {"brightness_300", Own(FormatRecordFile(bright))},
      {"key_count_51", Own(FormatRecordFile(keys))},
      {"steps_0", Own(FormatRecordFile(steps))},
      {"current_folder_outside", Own(FormatRecordFile(outside))},
      {"angles_past_a_turn", Own(FormatRecordFile(turns))},
      {"steps_past_the_most", Own(FormatRecordFile(many_steps))},
      {"byte_left_over", Own(trailing)},
      {"cut_in_a_record", Own(Cut(b, 4 + 4 + kPictureRecordBytes + 100))},
      {"cut_after_folders", Own(Cut(b, b.size() - 20))},
      {"cut_in_last_offset", Own(Cut(b, b.size() - 2))},
      {"cut_in_folder_count", Own(Cut(a, 3))},
      {"album_grew", Other(b, {2, 0, 4})},
      {"album_lost_a_folder", Other(b, {2, 0})},
      {"album_same", Other(c, {1, 1})},
  };
  for (const auto& [name, bytes] : seeds) {
    std::ofstream file(out / (name + ".rec"), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::printf("%zu seeds in %s\n", seeds.size(), out.c_str());
  return 0;
}
