// Millisecond tick counts and sleeping.
#pragma once

#include "platform/types.h"

// Milliseconds since an arbitrary start, wrapping at 2^32; compare with unsigned subtraction.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// Tests and benchmarks can replace the clock; null restores the real one.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual DWORD Now() const = 0;
};
void InstallTickSource(const TickSource* source);
