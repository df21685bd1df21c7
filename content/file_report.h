// The inspect verb of karmund-content: what the engine's readers make of a data file (.3ds, .smd,
// .mat, .bmp, .jpg).
#pragma once

#include <string>

// Prints the file's contents on stdout and returns 0; on a reader error prints its message on
// stderr and returns 1.
int inspect_file(const std::string& path);
