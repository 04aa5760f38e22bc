// SDL's video on a real display: the drivers that PlanDisplays names, retried while refused.
#pragma once

// Starts SDL's events and video on the first driver of the plan that reaches its display,
// trying all of them again until the plan's time is up. Without a display it prints the plan's
// one line to stderr and returns false, with nothing of SDL's video left started.
bool ConnectSdlDisplay();
// Ends what ConnectSdlDisplay started.
void DisconnectSdlDisplay();
