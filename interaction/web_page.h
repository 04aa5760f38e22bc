// Opens the album's web page in the desktop's browser.
#pragma once

// The address of the album page.
extern const char* const kAlbumPageUrl;

// Starts the desktop's URL opener on the album page without a shell and without waiting;
// false when no opener could be started (that is not an error for the viewer).
bool OpenAlbumWebPage();
