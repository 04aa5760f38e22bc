// Files and screens of a first start: the readme text of the album folder.
#pragma once

#include <string>

// The readme's text, line feeds included.
std::string ReadmeText();
