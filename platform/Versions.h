// The versions of the libraries the program runs with, as found at run time.
#pragma once

#include <string>

// One line such as "SDL 2.26.5, libmpg123.so.0.47.0, fftw-3.3.10-sse2-avx".
std::string libraryVersions();

// Implemented by the window backend: "SDL 2.26.5", or a note that the build has none.
std::string windowBackendVersion();
