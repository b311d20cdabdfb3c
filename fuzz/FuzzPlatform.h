// The fuzz targets' stand-in for the operating system, linked instead of driver/Platform.cpp:
// standard input is the fuzz input, standard output is checked and dropped, and the clock is
// virtual. Files are real: the engine's directory is a scratch directory, found as the installed
// data directory (so run the targets where there is no krelininit.txt, as `make fuzz` does).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Standard input from now on: the bytes, then the end of input.
void FuzzSetInput(const uint8_t *data, size_t size);
// Every reading of the clock moves it on by this many seconds (the search's budget in time).
void FuzzSetClockStep(double seconds);
// Makes a fresh scratch directory with a small configuration and the shipped books; returns its
// path with a separator at the end.
std::string FuzzScratchDirectory();
// Writes a file of the scratch directory; returns its path.
std::string FuzzWriteFile(const std::string &name, const uint8_t *data, size_t size);
