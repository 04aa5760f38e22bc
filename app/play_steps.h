// Playback steps between two key frames of a recorded path, as the steps table holds them.
#pragma once

// What a picture's steps start at.
constexpr int kDefaultPlaySteps = 10;
// The largest step count: a record file holding more does not fit, and a playback uses no more.
constexpr int kMaxPlaySteps = 1000;
