// Motion recording and playback: key frames captured while the user drags a picture in record
// mode, and the recorded path played forth and back by linear interpolation.
//
// RecordingStep runs every 10 ms on the recording thread and once per frame on the render thread
// while the right button is held, both on the same fields without a lock: every field is a relaxed
// atomic, each is read once into a local and stored once, and every table index is bounded.
#pragma once

#include "app/viewer_state.h"

// Keyframes less than this many milliseconds apart are not stored.
constexpr DWORD kKeyFrameSpacingMs = 166;
// A capture ends by itself after this many key frames.
constexpr int kCaptureKeyFrames = 39;

// One recording step for the current picture: starts a new capture after a left press, reloads
// m_key_count from the table (consuming m_evt_play), and, when the left button is held or the
// picture is recorded, captures a key frame (marking the picture recorded) or plays one step.
// A picture outside the album tables gets m_key_count = 0 and nothing else.
void RecordingStep(ViewerState& state);

// Stores the current view position and m_record_zoom as the next key frame of the current
// picture, at most one per kKeyFrameSpacingMs; after kCaptureKeyFrames the capture stops and
// playback starts.
void KeyFrameCapture(ViewerState& state);

// One playback step over the current picture's first `key_count` key frames with `steps`
// interpolated entries between neighbours: sets m_play_last, moves m_play_pos one place (forth
// to m_play_last, back to 0) and hands the path's point and zoom there to the renderer.
void PlaybackStep(ViewerState& state, int key_count, int steps);

// Playback position and direction.
struct PlayCursor {
  int pos = 0;
  int backward = 0;  // 1 = moving toward 0
};

// The next cursor on a path of `size` entries turning at `last`: backward once pos >= last,
// forward once pos < 1, then one place on; the position is kept inside [0, size - 1].
PlayCursor StepPlayCursor(PlayCursor cursor, int last, int size);
