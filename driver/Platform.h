// The engine's only contact with the operating system. Everything above this file is portable C++
// (board/SquareScan.h alone uses the SSE2 instructions every x86-64 processor has): Platform.cpp
// serves POSIX systems, PlatformWindows.cpp Windows (the build takes one of them).
#pragma once

#include <cstddef>
#include <string>

enum class ReadResult { Byte, EndOfInput, Error };

void PlatformStartUp();                         // a write to a vanished GUI fails, never kills; input set up
ReadResult ReadInputByte(char &byte);           // one byte from standard input, blocking, unbuffered
bool InputBytesWaiting();                       // are bytes waiting on standard input (no wait, no read)
void WriteOutputLine(const std::string &text);  // the text, one line feed, flush; failures ignored
double ClockDays();                             // a monotonic clock in days (1.0 = 24 hours)
bool FileExists(const std::string &path);       // a regular file that can be opened for reading
// The path itself when it exists; otherwise each of its parts that does not exist is replaced by
// the folder or file beside it whose name matches case-insensitively (names the engine
// upper-cased), and kept as it is when none matches.
std::string ResolveFileName(const std::string &path);
// The fallback directory of the configuration, with separator: <prefix>/share/krelin/ of an
// installed tree found from the program's own place (or as the build fixed it); on Windows the
// program's own folder.
std::string InstalledDataDirectory();
// A message the user must see before the engine gives up: a line on standard error, and on
// Windows also a message box with an OK button (a GUI shows nothing of its engine's errors).
void ShowFatalMessage(const std::string &text);
// Asks the system to back a large block (the transposition tables, not yet touched) with large
// pages, which spares the address translation a miss on almost every probe. A hint only.
void AdviseLargePages(void *address, size_t bytes);
