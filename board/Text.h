// Text helpers shared by every layer: the normaliser used for every comparison of typed or stored
// text, and the short decimal number reader of the command language.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

constexpr size_t MaxTextLength = 255;  // texts are cut, never rejected

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
std::string SqueezeUpper(std::string_view text);  // drops codes <= 32, upper-cases a..z
// 1 to 7 decimal digits after normalisation; otherwise error is set and the value is 0.
int ParseNumber(std::string_view text, bool &error);
// The next line of a text file, as the engine reads text: cut to 255 characters, without its line
// end (the carriage return of a DOS line end included). False at the end of the file.
bool ReadTextLine(std::istream &file, std::string &line);
// What a file tool says when a file fails it: "cannot read PATH (reason)" or "cannot write ...",
// the reason from errno as the failed call left it.
std::string FileFailureText(bool writing, const std::string &path);
