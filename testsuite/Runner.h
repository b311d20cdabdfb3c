// The test-suite runner: searches every position of a test file, one after another, under the
// current search settings and writes what the engine found, with node counts and times, into a
// result file. It does not judge the answers: the "bm" and "am" operations of EPD lines are cut off
// by the position set-up, and the result file carries the search log of each position instead.
//
// A test file is read line by line (at most 255 characters); everything from the first "\" on is a
// comment. Kinds of line, judged on the squeezed text:
//   empty, or "#..."   a comment
//   "%..."             a FEN/EPD position: the line (without its comment) is set up as it is
//   "P..."             a position file: FilePrefix + the squeezed line + ".txt"
//   anything else      moves from the initial position in four-character groups (E2E4E7E5); the
//                      engine plays the side to move: Black after an odd number of moves
//
// The result file is FilePrefix + "testresultaat_" + the test file's name up to its first "." +
// ".txt", in the test file's folder, in CRLF lines: the test file's path, "maxh = " and the horizon, an empty
// line; per position line the line, its search log and the "kn=" and table-statistics lines ("\> positie
// fout" after the line when the position is refused); per move line
// the squeezed line and "\> k = NODES SECONDS sec" with the analysis line (" variant fout" when the
// moves do not replay), then "kn=" and the statistics; at the end an empty line, "Gebruikte tijd: "
// with the total seconds and "Aantal vars/posities: " with the count. The book is off during the
// run and on again afterwards, also when it ends on an error; the game is left in the last
// position searched.
//
// The runner sits above the engine's driver and reaches it only through SuiteHost, which the
// command interpreter fills in: setting up a position, searching it as the engine's move, and the
// texts the search left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr const char *ResultFilePrefix = "testresultaat_";

// What one search of the run reports.
struct SuiteSearch {
  uint64_t nodes;
  double days;                         // time the search took
  std::vector<std::string> searchLog;  // the search log of the position, as the reports keep it
  std::string analysisLine;            // the message line after the search
};

// What the runner needs of the engine.
struct SuiteHost {
  std::string filePrefix;  // directory of the test file, its position files and the result file
  int maxHorizon;          // the horizon the result file's heading shows
  std::string (*resolveFileName)(const std::string &path);  // the name as it is found on disk
  // A FEN/EPD line (fen) or a position file's name set up as a new game; false: rejected.
  bool (*setUpPosition)(const std::string &text, bool fen);
  // Moves from the initial position, the side to move after them as the engine, as a game of its
  // own; false: they do not replay, and the game stays as it was. Clears the message line.
  bool (*setUpMoves)(const std::string &moves);
  // Searches the game position as the engine's move and plays it; with analysisLine the analysis
  // line of the result is built first.
  SuiteSearch (*searchAndPlay)(bool analysisLine);
};

// Runs the test file FilePrefix + fileName. out is true on return when the run did not start (an
// empty name) or ended on an input or output error (a missing test file, an unwritable result
// file, a full disk); failure then says what failed ("cannot write PATH (reason)"), and is empty
// otherwise.
void RunTestSuite(const SuiteHost &host, const std::string &fileName, bool &out, std::string &failure);
// The result file's name for a test file name, without the prefix: SUITE.EPD gives
// testresultaat_SUITE.txt, SUB/SUITE.EPD gives SUB/testresultaat_SUITE.txt (beside the test file).
std::string ResultFileName(const std::string &fileName);
