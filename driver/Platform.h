// The engine's only contact with the operating system. Everything above this file is portable;
// a Windows build replaces Platform.cpp alone.
#pragma once

#include <cstddef>
#include <string>

enum class ReadResult { Byte, EndOfInput, Error };

void PlatformStartUp();                    // ignore SIGPIPE: a write to a vanished GUI fails, never kills
ReadResult ReadInputByte(char &byte);      // one byte from standard input, blocking, unbuffered
bool InputBytesWaiting();                  // are bytes waiting on standard input (no wait, no read)
void WriteOutputLine(const std::string &text);  // the text, one line feed, flush; failures ignored
double ClockDays();                        // a monotonic clock in days (1.0 = 24 hours)
bool FileExists(const std::string &path);  // a regular file that can be opened for reading
// The path itself when it exists; otherwise a file of its directory whose name matches the last
// component case-insensitively (names the engine upper-cased); otherwise the path unchanged.
std::string ResolveFileName(const std::string &path);
std::string InstalledDataDirectory();      // fallback directory of the configuration, with separator
// Asks the system to back a large block (the transposition tables, not yet touched) with large
// pages, which spares the address translation a miss on almost every probe. A hint only.
void AdviseLargePages(void *address, size_t bytes);
