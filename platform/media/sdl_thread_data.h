// SDL keeps data per thread (its error message) and frees it by itself only on threads it
// started. A thread of ours that calls SDL calls this first: the data is freed when it ends.
#pragma once

#include <SDL.h>

inline void FreeSdlThreadDataAtThreadEnd() {
  struct Cleanup {
    ~Cleanup() { SDL_TLSCleanup(); }
  };
  thread_local Cleanup cleanup;
  (void)cleanup;
}
