#include "app/thread_steps.h"

float StepRecordZoom(float zoom, bool up) {
  if (up) {
    if (zoom < 4.5f) zoom = static_cast<float>(zoom + 0.1);
  } else if (zoom > 1.1f) {
    zoom = static_cast<float>(zoom - 0.1);
  }
  return zoom;
}
