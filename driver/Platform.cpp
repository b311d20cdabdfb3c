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

#ifndef KRELIN_DATA_DIR
#define KRELIN_DATA_DIR "/usr/local/share/krelin/"
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

std::string ResolveFileName(const std::string &path) {
  if (FileExists(path)) return path;
  size_t slash = path.find_last_of('/');
  std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string prefix = slash == std::string::npos ? "" : directory;
  DIR *dir = opendir(directory.c_str());
  if (dir == nullptr) return path;
  std::string found = path;
  while (struct dirent *entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0 && FileExists(prefix + entry->d_name)) {
      found = prefix + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::string InstalledDataDirectory() {
  std::string directory = KRELIN_DATA_DIR;
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
