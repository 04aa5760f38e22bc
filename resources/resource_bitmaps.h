// The program's own pictures, built into the binary: drawn by code at load time.
#pragma once

#include "platform/gdi/decoded_picture.h"
#include "platform/gdi/gdi.h"

constexpr int IDI_MAINFRAME = 128;       // window icon, 48 x 48
constexpr int IDB_MARKER = 129;          // 15 x 11, black: the marker sprite
constexpr int IDB_MENU_POINTER = 136;    // 37 x 37: a red sight on black
constexpr int IDB_EXAMPLE = 138;         // 622 x 875: the example picture of a new album

constexpr int kExamplePictureWidth = 622;
constexpr int kExamplePictureHeight = 875;

// The example picture (drawn by code).
DecodedPicture ExamplePicture();

// The picture of a resource; empty for an unknown id.
DecodedPicture ResourcePicture(int id);

// A new bitmap of a resource picture (null for an unknown id); the caller deletes it.
inline HBITMAP LoadBitmapW(int id) { return CreateBitmapFromPicture(ResourcePicture(id)); }
