// The angle a picture is turned by: whole degrees in the angle table, stepped by the wheel with
// the right button held, kept within one turn.
#pragma once

// Degrees one wheel step turns a picture.
constexpr int kAngleStep = 10;

// `degrees` within one turn, its sign kept: the remainder by 360, so a full turn is no turn
// (370 gives 10, -730 gives -10, 3600 gives 0, 350 and -350 stay). The picture looks the same.
constexpr int WithinOneTurn(int degrees) { return degrees % 360; }

// The angle after one wheel step, forward (+10) or back (-10), within one turn.
constexpr int StepAngle(int degrees, bool forward) {
  return WithinOneTurn(WithinOneTurn(degrees) + (forward ? kAngleStep : -kAngleStep));
}
