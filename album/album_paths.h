// Paths inside the album: folder n is album_dir + n + "/", picture p of it n/p.bmp.
#pragma once

#include <string>

inline std::string FolderPath(const std::string& album_dir, int folder) {
  return album_dir + std::to_string(folder) + "/";
}
inline std::string PicturePattern(const std::string& album_dir, int folder) {
  return FolderPath(album_dir, folder) + "*.bmp";
}
inline std::string PicturePath(const std::string& album_dir, int folder, int picture) {
  return FolderPath(album_dir, folder) + std::to_string(picture) + ".bmp";
}

// The album beside the program, relative to the working folder.
inline const char* const kAlbumDir = "./album/";
// Folders made at every start when missing.
constexpr int kStartupFolders = 21;
