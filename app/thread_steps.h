// Small arithmetic of the worker loops.
#pragma once

// The recording zoom stepped by the wheel: up by 0.1 while below 4.5, down by 0.1 while
// above 1.1, in single precision (so from 1.5 it ends near 4.6 going up and 1.1 going down).
float StepRecordZoom(float zoom, bool up);

// The page of 100 entries that an index of the search bars lies on.
inline int PageOf(int index) { return index / 100; }
