// The desktop API's drawing calls on 32-bit pixels: device contexts, bitmaps, pens, brushes, fonts,
// blits and shapes. Handles are typed pointers to our own objects; null is always a safe argument.
//
// Threads: each object is used by one thread at a time; stock objects are shared and never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gdi/bitmap_levels.h"
#include "platform/gdi/decoded_picture.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/pixel_buffer.h"

class ClientSurface;

// Live (created, not yet deleted) objects and DCs of the whole process; stock objects are not counted.
int GdiLiveObjectCount();

// Objects.
HGDIOBJ GetStockObject(int index);
BOOL DeleteObject(HGDIOBJ object);  // an object still selected into a DC is deleted when deselected

// Bitmaps. Sizes of 0 give an empty bitmap, negative sizes null.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const BYTE* bits);
HBITMAP CreateBitmapFromPicture(DecodedPicture picture);  // null for an empty or oversized picture
int GetObjectW(HBITMAP bitmap, int bufferSize, BITMAP* out);
inline int GetObject(HBITMAP bitmap, int bufferSize, BITMAP* out) { return GetObjectW(bitmap, bufferSize, out); }
HBITMAP LoadImageW(std::nullptr_t instance, std::string_view path, UINT type, int width, int height, UINT flags);
inline HBITMAP LoadImage(std::nullptr_t instance, std::string_view path, UINT type, int width, int height,
                         UINT flags) {
  return LoadImageW(instance, path, type, width, height, flags);
}
// The bitmap's pixels, top-down (empty for null); monochrome bitmaps hold 0x000000 or 0xFFFFFF per pixel.
PixelBuffer BitmapPixels(HBITMAP bitmap);
// Makes the bitmap's pre-filtered half-size copies from its pixels as they are now, for drawing
// it shrunk (StretchBlt in HALFTONE mode, LevelSourceFor); a bitmap drawn into afterwards keeps
// the old copies until this runs again. Monochrome bitmaps get none.
void MakeBitmapLevels(HBITMAP bitmap);
// Bytes the copies take beside the bitmap's own pixels.
std::size_t BitmapLevelBytes(HBITMAP bitmap);
// What a draw of `rect` of the bitmap onto dw x dh samples: the copy LevelFor picks and the
// rectangle on it, or (level 0) the bitmap's own pixels and `rect` itself.
struct LevelSource {
  PixelBuffer pixels;
  LevelRect rect;
  int level = 0;
};
LevelSource LevelSourceFor(HBITMAP bitmap, const LevelRect& rect, std::int64_t dw, std::int64_t dh);

// Device contexts.
HDC CreateCompatibleDC(HDC dc);
HDC CreateSurfaceDC(ClientSurface& surface);  // each drawing call on it is one ClientSurface::Update
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
HPEN SelectObject(HDC dc, HPEN pen);
HBRUSH SelectObject(HDC dc, HBRUSH brush);
HFONT SelectObject(HDC dc, HFONT font);
HGDIOBJ GetCurrentObject(HDC dc, int kind);  // kind: OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP
constexpr int OBJ_PEN = 1;
constexpr int OBJ_BRUSH = 2;
constexpr int OBJ_FONT = 6;
constexpr int OBJ_BITMAP = 7;

int GetClipBox(HDC dc, RECT* box);
int GetDeviceCaps(HDC dc, int index);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetGraphicsMode(HDC dc, int mode);
int GetGraphicsMode(HDC dc);
BOOL SetWorldTransform(HDC dc, const XFORM* xform);
BOOL GetWorldTransform(HDC dc, XFORM* xform);
BOOL ModifyWorldTransform(HDC dc, const XFORM* xform, DWORD mode);
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetWindowOrgEx(HDC dc, POINT* origin);
BOOL LPtoDP(HDC dc, POINT* points, int count);
BOOL DPtoLP(HDC dc, POINT* points, int count);

// Blits.
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, BLENDFUNCTION blend);

// Pens, brushes and shapes.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
// Fills with `color` and leaves it as the DC's background colour, as the framework's CDC helper does.
void FillSolidRect(HDC dc, const RECT* rect, COLORREF color);
void FillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF color);

// Fonts and text. Text is UTF-8; `length` counts bytes, negative for the whole string.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, std::string_view face);
inline HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                        DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, std::string_view face) {
  return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                     outPrecision, clipPrecision, quality, pitchAndFamily, face);
}
BOOL TextOutW(HDC dc, int x, int y, std::string_view text, int length);
BOOL TextOutA(HDC dc, int x, int y, std::string_view text, int length);
inline BOOL TextOut(HDC dc, int x, int y, std::string_view text, int length) {
  return TextOutW(dc, x, y, text, length);
}
BOOL GetTextExtentPoint32W(HDC dc, std::string_view text, int length, SIZE* size);
inline BOOL GetTextExtentPoint32(HDC dc, std::string_view text, int length, SIZE* size) {
  return GetTextExtentPoint32W(dc, text, length, size);
}
