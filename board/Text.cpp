#include "board/Text.h"

#include <cerrno>
#include <cstring>
#include <istream>

std::string SqueezeUpper(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    unsigned char code = static_cast<unsigned char>(c);
    if (code <= 32) continue;
    result.push_back(code >= 'a' && code <= 'z' ? char(code - 'a' + 'A') : c);
  }
  return result;
}

int ParseNumber(std::string_view text, bool &error) {
  std::string digits = SqueezeUpper(text);
  error = digits.empty() || digits.size() > 7;
  if (error) return 0;
  int value = 0, place = 1;
  for (size_t i = digits.size(); i-- > 0;) {
    char c = digits[i];
    if (c < '0' || c > '9')
      error = true;  // the scan goes on, the result is 0
    else
      value += (c - '0') * place;
    place *= 10;
  }
  return error ? 0 : value;
}

bool ReadTextLine(std::istream &file, std::string &line) {
  if (!std::getline(file, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > MaxTextLength) line.resize(MaxTextLength);
  return true;
}

std::string FileFailureText(bool writing, const std::string &path) {
  std::string reason = errno != 0 ? std::strerror(errno) : "input/output error";
  return std::string(writing ? "cannot write " : "cannot read ") + path + " (" + reason + ")";
}
