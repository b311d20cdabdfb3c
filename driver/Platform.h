// The engine's only contact with the operating system. Everything above this file is portable;
// a Windows build replaces Platform.cpp alone.
#pragma once

#include <string>

enum class ReadResult { Byte, EndOfInput, Error };

void PlatformStartUp();                    // ignore SIGPIPE: a write to a vanished GUI fails, never kills
ReadResult ReadInputByte(char &byte);      // one byte from standard input, blocking, unbuffered
bool InputBytesWaiting();                  // are bytes waiting on standard input (no wait, no read)
void WriteOutputLine(const std::string &text);  // the text, one line feed, flush; failures ignored
double ClockDays();                        // a monotonic clock in days (1.0 = 24 hours)
bool FileExists(const std::string &path);  // a regular file that can be opened for reading
// The path itself when it exists; otherwise each of its parts that does not exist is replaced by
// the folder or file beside it whose name matches case-insensitively (names the engine
// upper-cased), and kept as it is when none matches.
std::string ResolveFileName(const std::string &path);
std::string InstalledDataDirectory();      // fallback directory of the configuration, with separator
