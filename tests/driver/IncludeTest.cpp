#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// The project's own includes of every source in a folder, by file pair: "GameFlow" -> the headers
// that GameFlow.h and GameFlow.cpp include ("driver/Clock.h", "board/Board.h", ...).
std::map<std::string, std::set<std::string>> IncludesByPair(const std::string &folder) {
  std::map<std::string, std::set<std::string>> includes;
  const std::regex line("^\\s*#\\s*include\\s+\"([^\"]+)\"");
  for (const auto &entry : fs::directory_iterator(fs::path(KRELIN_SOURCE_DIR) / folder)) {
    std::string extension = entry.path().extension().string();
    if (extension != ".h" && extension != ".cpp") continue;
    std::set<std::string> &into = includes[entry.path().stem().string()];
    std::ifstream file(entry.path());
    std::smatch match;
    for (std::string text; std::getline(file, text);)
      if (std::regex_search(text, match, line)) into.insert(match[1]);
  }
  return includes;
}

// The front ends stand side by side on the engine interface, and the game flow and the clock
// below them include neither front end nor the console that carries the protocols' text. (Circles
// and the folders' layers are checked over the whole tree by the IncludeLayers test.)
TEST(IncludeTest, LayersBelowTheFrontEndsKnowNoProtocol) {
  auto driver = IncludesByPair("driver");
  EXPECT_FALSE(driver.at("Uci").count("driver/Protocol.h"));
  EXPECT_FALSE(driver.at("Protocol").count("driver/Uci.h"));
  for (const char *pair : {"GameFlow", "Clock", "Engine"})
    for (const char *frontEnd : {"driver/Protocol.h", "driver/Uci.h", "driver/Console.h"})
      EXPECT_FALSE(driver.at(pair).count(frontEnd)) << pair << " includes " << frontEnd;
}

}  // namespace
