#include "driver/Platform.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

// The data directory, as the build set it; empty: found from where the program is installed, so an
// installed tree (or package) can be moved to another prefix and still find its data.
#ifndef KRELIN_DATA_DIR
#define KRELIN_DATA_DIR ""
#endif
// The data directory relative to the program's own directory in an installed tree.
#ifndef KRELIN_DATA_FROM_PROGRAM
#define KRELIN_DATA_FROM_PROGRAM "../share/krelin/"
#endif

void PlatformStartUp() { signal(SIGPIPE, SIG_IGN); }

ReadResult ReadInputByte(char &byte) {
  for (;;) {
    ssize_t n = read(0, &byte, 1);
    if (n == 1) return ReadResult::Byte;
    if (n == 0) return ReadResult::EndOfInput;
    if (errno != EINTR) return ReadResult::Error;
  }
}

bool InputBytesWaiting() {
  struct pollfd input = {0, POLLIN, 0};
  if (poll(&input, 1, 0) <= 0) return false;
  // A closed pipe reports POLLHUP: the reader then sees the end of input at once.
  return (input.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void WriteOutputLine(const std::string &text) {
  std::string line = text + "\n";
  const char *data = line.data();
  size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(1, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    left -= size_t(n);
  }
}

double ClockDays() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double(now.tv_sec) + double(now.tv_nsec) / 1e9) / 86400.0;
}

bool FileExists(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), R_OK) == 0;
}

static bool IsDirectory(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The entry of directory (empty: the current one; else ending in a separator) whose name is part
// or matches it case-insensitively, a folder or a file as asked; part itself when there is none.
static std::string MatchEntry(const std::string &directory, const std::string &part, bool folder) {
  auto fits = [&](const std::string &name) {
    return folder ? IsDirectory(directory + name) : FileExists(directory + name);
  };
  if (fits(part)) return part;
  DIR *dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return part;
  std::string found = part;
  while (struct dirent *entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, part.c_str()) == 0 && fits(entry->d_name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::string ResolveFileName(const std::string &path) {
  if (FileExists(path)) return path;
  std::string resolved;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    std::string part = path.substr(start, slash - start);
    if (!part.empty() && part != "." && part != "..") part = MatchEntry(resolved, part, true);
    resolved += part + "/";
  }
  return start < path.size() ? resolved + MatchEntry(resolved, path.substr(start), false) : path;
}

// The program's directory with each leading "../" of the relative data path taken off its end.
static std::string DataDirectoryBesideProgram() {
  char program[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length <= 0) return "";
  std::string directory(program, size_t(length));
  std::string relative = KRELIN_DATA_FROM_PROGRAM;
  directory.erase(directory.find_last_of('/'));
  while (relative.compare(0, 3, "../") == 0 && directory.find('/') != std::string::npos) {
    directory.erase(directory.find_last_of('/'));
    relative.erase(0, 3);
  }
  return directory + "/" + relative;
}

void ShowFatalMessage(const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::string InstalledDataDirectory() {
  std::string directory = KRELIN_DATA_DIR;
  if (directory.empty()) directory = DataDirectoryBesideProgram();
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory;
}

void AdviseLargePages(void *address, size_t bytes) {
#ifdef MADV_HUGEPAGE
  madvise(address, bytes, MADV_HUGEPAGE);
#else
  (void)address;
  (void)bytes;
#endif
}
