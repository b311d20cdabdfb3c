// The Windows side of the platform layer (built instead of Platform.cpp for Windows targets).
//
// Standard input is read byte-wise with ReadFile. What "bytes waiting" means depends on what the
// handle is: under WinBoard or Arena it is an anonymous pipe, asked with PeekNamedPipe; typed at a
// console it is the console's input buffer, where a line is waiting once its Enter key is; a file
// or the null device always has something to give (bytes, or the end of input).
//
// Some pipes cannot be peeked: under wine, standard input is the GUI's Unix pipe, and PeekNamedPipe
// answers "not supported". The engine would then be deaf while it thinks (a ponder search would
// never end), so for such a pipe a relay thread does the blocking reads into a buffer, and the
// engine's one thread reads and peeks that buffer instead. Nothing else runs on that thread.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <string>

#include "driver/Platform.h"

namespace {

enum class InputKind { Pipe, RelayedPipe, Console, Other };

// The buffer between the relay thread, which fills it, and the engine, which empties it.
struct InputRelay {
  CRITICAL_SECTION lock;
  CONDITION_VARIABLE filled;  // bytes arrived, or the input ended
  std::string bytes;          // read and not yet taken, from position taken on
  size_t taken = 0;
  bool ended = false;  // the relay's last read failed: nothing more will come
};

struct WindowsConsole {
  HANDLE input = INVALID_HANDLE_VALUE;
  HANDLE output = INVALID_HANDLE_VALUE;
  InputKind kind = InputKind::Other;
  InputRelay relay;
};
WindowsConsole Windows;

constexpr DWORD ConsoleEventsPeeked = 256;
constexpr DWORD RelayChunk = 4096;

DWORD WINAPI RelayInput(LPVOID) {
  char chunk[RelayChunk];
  for (;;) {
    DWORD read = 0;
    bool ok = ReadFile(Windows.input, chunk, RelayChunk, &read, nullptr) && read > 0;
    EnterCriticalSection(&Windows.relay.lock);
    if (ok)
      Windows.relay.bytes.append(chunk, read);
    else
      Windows.relay.ended = true;
    LeaveCriticalSection(&Windows.relay.lock);
    WakeAllConditionVariable(&Windows.relay.filled);
    if (!ok) return 0;
  }
}

// A pipe that PeekNamedPipe cannot see into gets the relay; a broken pipe is a pipe all the same.
bool PipeCanBePeeked() {
  DWORD available = 0;
  return PeekNamedPipe(Windows.input, nullptr, 0, nullptr, &available, nullptr) ||
         GetLastError() == ERROR_BROKEN_PIPE;
}

bool StartRelay() {
  InitializeCriticalSection(&Windows.relay.lock);
  InitializeConditionVariable(&Windows.relay.filled);
  HANDLE thread = CreateThread(nullptr, 0, RelayInput, nullptr, 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);  // it ends with the process, or at the end of the input
  return true;
}

ReadResult TakeRelayedByte(char &byte) {
  InputRelay &relay = Windows.relay;
  EnterCriticalSection(&relay.lock);
  while (relay.taken == relay.bytes.size() && !relay.ended)
    SleepConditionVariableCS(&relay.filled, &relay.lock, INFINITE);
  bool got = relay.taken < relay.bytes.size();
  if (got) byte = relay.bytes[relay.taken++];
  if (relay.taken == relay.bytes.size()) {
    relay.bytes.clear();
    relay.taken = 0;
  }
  LeaveCriticalSection(&relay.lock);
  return got ? ReadResult::Byte : ReadResult::EndOfInput;
}

bool RelayedBytesWaiting() {
  EnterCriticalSection(&Windows.relay.lock);
  bool waiting = Windows.relay.taken < Windows.relay.bytes.size() || Windows.relay.ended;
  LeaveCriticalSection(&Windows.relay.lock);
  return waiting;  // the end of input counts: the reader then sees it at once
}

bool ConsoleLineWaiting() {
  INPUT_RECORD events[ConsoleEventsPeeked];
  DWORD count = 0;
  if (!PeekConsoleInputA(Windows.input, events, ConsoleEventsPeeked, &count)) return false;
  for (DWORD i = 0; i < count; i++) {
    const KEY_EVENT_RECORD &key = events[i].Event.KeyEvent;
    if (events[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.AsciiChar == '\r') return true;
  }
  // A buffer this full without an Enter is someone leaning on the keyboard: let the reader wait.
  return count == ConsoleEventsPeeked;
}

}  // namespace

void PlatformStartUp() {
  // No system dialog (a drive without a disk, a crash box) may block an engine that a GUI runs.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  Windows.input = GetStdHandle(STD_INPUT_HANDLE);
  Windows.output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  DWORD type = GetFileType(Windows.input);
  if (type == FILE_TYPE_PIPE)
    Windows.kind = PipeCanBePeeked() || !StartRelay() ? InputKind::Pipe : InputKind::RelayedPipe;
  else if (type == FILE_TYPE_CHAR && GetConsoleMode(Windows.input, &mode))
    Windows.kind = InputKind::Console;
  else
    Windows.kind = InputKind::Other;
}

ReadResult ReadInputByte(char &byte) {
  if (Windows.kind == InputKind::RelayedPipe) return TakeRelayedByte(byte);
  DWORD read = 0;
  if (!ReadFile(Windows.input, &byte, 1, &read, nullptr)) {
    // The GUI closed its end of the pipe: the same as the end of a file.
    return GetLastError() == ERROR_BROKEN_PIPE ? ReadResult::EndOfInput : ReadResult::Error;
  }
  return read == 1 ? ReadResult::Byte : ReadResult::EndOfInput;
}

bool InputBytesWaiting() {
  switch (Windows.kind) {
    case InputKind::Pipe: {
      DWORD available = 0;
      if (PeekNamedPipe(Windows.input, nullptr, 0, nullptr, &available, nullptr)) return available > 0;
      // A pipe whose writer has gone: the reader then sees the end of input at once.
      return GetLastError() == ERROR_BROKEN_PIPE;
    }
    case InputKind::RelayedPipe:
      return RelayedBytesWaiting();
    case InputKind::Console:
      return ConsoleLineWaiting();
    case InputKind::Other:
      return true;
  }
  return false;
}

void WriteOutputLine(const std::string &text) {
  std::string line = text + "\n";
  const char *data = line.data();
  DWORD left = DWORD(line.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(Windows.output, data, left, &written, nullptr) || written == 0) return;
    data += written;
    left -= written;  // WriteFile keeps nothing back: the line is on its way to the GUI
  }
}

double ClockDays() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / (double(frequency.QuadPart) * 86400.0);
}

bool FileExists(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;  // also a directory, which needs other flags
  CloseHandle(file);
  return true;
}

// Windows file names are found whatever their case.
std::string ResolveFileName(const std::string &path) { return path; }

// The zip unpacks into one folder: the configuration and the books lie beside the program.
std::string InstalledDataDirectory() {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  std::string directory(path, length);
  size_t separator = directory.find_last_of("\\/");
  return separator == std::string::npos ? "" : directory.substr(0, separator + 1);
}

void ShowFatalMessage(const std::string &text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  MessageBoxA(nullptr, text.c_str(), "KrelinChess", MB_OK | MB_ICONERROR);
}

// Large pages need a privilege that ordinary users lack on Windows: the tables stay in normal pages.
void AdviseLargePages(void *, size_t) {}
