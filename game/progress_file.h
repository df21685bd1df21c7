// The progress file "data/volno.dtt": one decimal line, the highest level unlocked.
#pragma once

#include <cstdint>
#include <string>

// The runtime's text for an I/O result code ("File not found", ..., "I/O error %d").
std::string ioErrorText(int code);

// Reads the number the way the runtime reads an integer from a text file: blanks and line ends
// skipped, then up to 32 characters to the next blank. No number at all reads as 0; anything
// else that is not a decimal integer sets `ioResult` to 106 ("Invalid numeric input").
int32_t parseProgress(const std::string& content, int& ioResult);

// Open for reading, read the integer into levelsOpen, check. A missing file reads as 0: a fresh
// installation may have none, and the file is made the first time a level is entered.
void readProgress();

// The write protocol of a level set-up: re-read the file and, when levelsOpen is below `level`,
// record `level` ("N" CR LF). The rewrite is atomic, so a crash never leaves an empty file.
void recordProgress(int32_t level);
