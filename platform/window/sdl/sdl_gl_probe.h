// The name of the GL renderer SDL's accelerated renderer would draw with, learnt in a child
// process so that this one never loads a GL driver it may not use.
#pragma once

#include <optional>
#include <string>

// Call before this process opens the display. Nullopt when no GL context can be made.
std::optional<std::string> ProbeGlRenderer();
