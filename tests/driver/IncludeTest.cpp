#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

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

// One circle of file pairs that include each other, "A -> B -> A"; empty when there is none.
std::string FindCircle(const std::map<std::string, std::set<std::string>> &includes,
                       const std::string &folder) {
  std::map<std::string, int> state;  // 1: on the path, 2: done
  std::vector<std::string> path;
  std::string circle;
  auto visit = [&](auto &&self, const std::string &pair) -> void {
    state[pair] = 1;
    path.push_back(pair);
    for (const std::string &header : includes.at(pair)) {
      std::string other = fs::path(header).stem().string();
      if (!circle.empty() || header.rfind(folder + "/", 0) != 0 || other == pair || !includes.count(other))
        continue;
      if (state[other] == 1) {
        for (size_t i = 0; i < path.size(); i++)
          if (path[i] == other || !circle.empty()) circle += path[i] + " -> ";
        circle += other;
      } else if (state[other] == 0) {
        self(self, other);
      }
    }
    path.pop_back();
    state[pair] = 2;
  };
  for (const auto &[pair, headers] : includes)
    if (state[pair] == 0 && circle.empty()) visit(visit, pair);
  return circle;
}

TEST(IncludeTest, DriverFilesIncludeNoCircle) {
  EXPECT_EQ(FindCircle(IncludesByPair("driver"), "driver"), "");
  // The check finds a circle where there is one.
  std::map<std::string, std::set<std::string>> circular{
      {"Clock", {"driver/Console.h"}}, {"Console", {"driver/GameFlow.h"}}, {"GameFlow", {"driver/Clock.h"}}};
  EXPECT_EQ(FindCircle(circular, "driver"), "Clock -> Console -> GameFlow -> Clock");
}

// The front ends stand side by side on the engine interface, and the game flow and the clock
// below them include neither front end nor the console that carries the protocols' text.
TEST(IncludeTest, LayersBelowTheFrontEndsKnowNoProtocol) {
  auto driver = IncludesByPair("driver");
  EXPECT_FALSE(driver.at("Uci").count("driver/Protocol.h"));
  EXPECT_FALSE(driver.at("Protocol").count("driver/Uci.h"));
  for (const char *pair : {"GameFlow", "Clock", "Engine"})
    for (const char *frontEnd : {"driver/Protocol.h", "driver/Uci.h", "driver/Console.h"})
      EXPECT_FALSE(driver.at(pair).count(frontEnd)) << pair << " includes " << frontEnd;
  for (const char *folder : {"board", "eval", "search", "book", "testsuite"})
    for (const auto &[pair, headers] : IncludesByPair(folder))
      for (const std::string &header : headers)
        EXPECT_NE(header.rfind("driver/", 0), 0u) << folder << "/" << pair;
}

}  // namespace
