#include "driver/Uci.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

#include "board/MoveText.h"
#include "book/Book.h"
#include "driver/Clock.h"
#include "driver/Config.h"
#include "driver/Console.h"
#include "driver/Engine.h"
#include "driver/Notation.h"
#include "search/Driver.h"
#include "search/Search.h"
#include "search/SearchControl.h"

UciState Uci;

namespace {

using Words = std::vector<std::string>;

constexpr const char *AuthorText = "the KrelinChess authors";
constexpr int64_t MaxMilliseconds = int64_t(MaxClockDays * 86400.0 * 1000.0);  // a year
constexpr double MillisecondsPerDay = 86400000.0;

EnginePosition Position;  // the last good position

Words SplitWords(std::string_view line) {
  Words words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && uint8_t(line[i]) <= ' ') i++;
    size_t start = i;
    while (i < line.size() && uint8_t(line[i]) > ' ') i++;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

void Say(const std::string &text) { WriteProtocolLine("info string " + text); }

// A whole decimal number, optionally signed; false for anything else (hexadecimal, "inf", "1e3").
bool ReadNumber(const std::string &text, int64_t &value) {
  const char *first = text.data(), *last = text.data() + text.size();
  if (first != last && *first == '+') first++;
  auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

// ---------------------------------------------------------------------------------------------
// What the search reports.

std::string UciMoveText(Move move) { return Lower(ToProtocolMoveText(CompactMoveText(move))); }

std::string ScoreText(int32_t score) {
  if (score > MateThreshold) return "mate " + std::to_string((MateBase + 1 - score) / 2);
  if (score < -MateThreshold) return "mate -" + std::to_string((MateBase + score) / 2);
  return "cp " + std::to_string(score);
}

void WriteInfo(const PrincipalLine &line, int moves, const char *bound) {
  int32_t score = Tree.rootBest > -Infinite ? Tree.rootBest : Tree.previousBest;
  if (BookRecord.status == BookMovesFound) score = 0;
  double milliseconds = (ElapsedTime() + Tree.ponderHitTime) * MillisecondsPerDay;
  uint64_t ms = milliseconds > 0 ? uint64_t(milliseconds) : 0;
  uint64_t nps = ms > 0 ? Tree.nodeCount * 1000 / ms : 0;
  std::string text = "info depth " + std::to_string(Tree.horizon) + " seldepth " +
                     std::to_string(std::max(Tree.horizon, Tree.selectiveDepth - 1)) + " score " +
                     ScoreText(score) + bound + " nodes " + std::to_string(Tree.nodeCount) + " nps " +
                     std::to_string(nps) + " time " + std::to_string(ms) + " pv";
  for (int i = 1; i <= moves && i < LineLength && !line.move[i].IsNull() && line.move[i].kind != EndOfList;
       i++) {
    std::string move = " " + UciMoveText(line.move[i]);
    if (text.size() + move.size() > MaxOutputLength) break;
    text += move;
  }
  WriteProtocolLine(text);
  Uci.infoWritten = true;
}

// A new best root move, or the ponder hit.
void PostLine(int moves) {
  const char *bound = "";
  if (Tree.selectiveMode && Tree.rootBest >= Tree.aspirationHigh) bound = " lowerbound";
  if (Tree.selectiveMode && Tree.rootBest <= Tree.aspirationLow) bound = " upperbound";
  WriteInfo(Tree.bestLine, moves, bound);
}

// A finished iteration, whose line leads the next.
void IterationDone() {
  if (!Signals.stopSearch && Tree.researchCount == 0) WriteInfo(Tree.driverLine, LineLength - 1, "");
}

void NoAnalysisLine(int, bool) {}
void NoSearchLogLine(int) {}
bool NothingToLeaveFor() { return false; }  // every search ends with its bestmove

bool InputWaiting() { return !EngineNodeLimitReached() && ReadInputLine(true); }

// ---------------------------------------------------------------------------------------------
// Input while the engine searches: isready is answered, stop and ponderhit act; any other command
// ends the search and waits for the loop, after the bestmove.
void PollUciInput() {
  Words words = SplitWords(Console.inputLine);
  std::string command = words.empty() ? "" : words[0];
  bool keep = false;
  if (command == "isready") {
    WriteProtocolLine("readyok");
  } else if (command == "stop") {
    Uci.stopRequested = true;
    EngineStop();
  } else if (command == "ponderhit") {
    Uci.ponderHit = true;
    EnginePonderHit();
  } else if (command == "debug") {
    Uci.debug = words.size() < 2 || words[1] != "off";
  } else if (!command.empty()) {
    Uci.stopRequested = true;
    EngineStop();
    keep = true;
  }
  if (!keep) Console.inputLine.clear();
}

// The game's events are never raised here: the interface keeps the game, the engine only searches.
void InstallUciFrontEnd() {
  EngineInstallFrontEnd(FrontEnd{InputWaiting, PollUciInput, NothingToLeaveFor, PostLine, NoAnalysisLine,
                                 NoSearchLogLine, IterationDone, SilentGameEvents()});
}

// ---------------------------------------------------------------------------------------------
// The commands.

void Identify() {
  WriteProtocolLine(std::string("id name ") + EngineName + " " + VersionText);
  WriteProtocolLine(std::string("id author ") + AuthorText);
  WriteProtocolLine("option name Hash type spin default " + std::to_string(EngineHashMegabytes()) + " min " +
                    std::to_string(MinHashMegabytes) + " max " + std::to_string(MaxHashMegabytes));
  WriteProtocolLine("option name Clear Hash type button");
  WriteProtocolLine("option name Threads type spin default " + std::to_string(EngineThreads()) +
                    " min 1 max " + std::to_string(MaxThreadCount));
  WriteProtocolLine("option name Ponder type check default false");
  WriteProtocolLine("option name OwnBook type check default true");
  WriteProtocolLine("uciok");
}

bool ReadCheck(const std::string &value, bool &on) {
  std::string v = Lower(value);
  if (v != "true" && v != "false") return false;
  on = v == "true";
  return true;
}

// setoption name NAME [value VALUE]; names and check values in any case.
void SetOption(const Words &words) {
  std::string name, value;
  bool inValue = false, sawName = false;
  for (size_t i = 1; i < words.size(); i++) {
    if (!inValue && !sawName && words[i] == "name") {
      sawName = true;
    } else if (!inValue && words[i] == "value") {
      inValue = true;
    } else {
      std::string &part = inValue ? value : name;
      part += (part.empty() ? "" : " ") + words[i];
    }
  }
  std::string key = Lower(name);
  bool on = false;
  int64_t number = 0;
  if (key == "hash") {
    if (!ReadNumber(value, number) || number < MinHashMegabytes || number > MaxHashMegabytes)
      Say("Hash must be a whole number from " + std::to_string(MinHashMegabytes) + " to " +
          std::to_string(MaxHashMegabytes) + ": " + value.substr(0, 40));
    else if (int used = EngineSetHash(int(number)); used != number || Uci.debug)
      Say("Hash " + std::to_string(used) + " MB");
  } else if (key == "threads") {
    if (!ReadNumber(value, number) || number < 1 || number > MaxThreadCount)
      Say("Threads must be a whole number from 1 to " + std::to_string(MaxThreadCount) + ": " +
          value.substr(0, 40));
    else
      EngineSetThreads(int(number));
  } else if (key == "clear hash") {
    EngineClearHash();
  } else if (key == "ponder") {
    if (!ReadCheck(value, on)) Say("Ponder must be true or false: " + value.substr(0, 40));
  } else if (key == "ownbook") {
    if (ReadCheck(value, on))
      EngineSetOwnBook(on);
    else
      Say("OwnBook must be true or false: " + value.substr(0, 40));
  } else {
    Say("unknown option: " + name.substr(0, 60));
  }
}

// position startpos|fen FEN [moves M...]
void SetPosition(const Words &words) {
  size_t i = 1;
  std::string fen;
  if (i < words.size() && words[i] == "startpos") {
    i++;
  } else if (i < words.size() && words[i] == "fen") {
    for (i++; i < words.size() && words[i] != "moves"; i++) fen += (fen.empty() ? "" : " ") + words[i];
    if (fen.empty()) return Say("position fen needs a position");
  } else {
    return Say("position needs startpos or fen");
  }
  Words moves;
  if (i < words.size() && words[i] != "moves") return Say("position: unexpected " + words[i].substr(0, 40));
  if (i < words.size()) moves.assign(words.begin() + long(i) + 1, words.end());
  std::string error;
  if (!ReadEnginePosition(fen, moves, Position, error)) return Say(error + "; the last position stays");
  Uci.havePosition = true;
}

bool IsGoKeyword(const std::string &word) {
  static constexpr const char *keywords[] = {"searchmoves", "ponder",   "wtime",     "btime",
                                             "winc",        "binc",     "movestogo", "depth",
                                             "nodes",       "movetime", "mate",      "infinite"};
  return std::find_if(std::begin(keywords), std::end(keywords), [&](const char *k) { return word == k; }) !=
         std::end(keywords);
}

// A number after a keyword of go: held to 0..limit, with a word on what was wrong.
bool ReadGoNumber(const Words &words, size_t &i, int64_t limit, int64_t &value) {
  const std::string &key = words[i];
  if (i + 1 >= words.size() || !ReadNumber(words[i + 1], value)) {
    Say("go " + key + " needs a whole number" +
        (i + 1 < words.size() ? ": " + words[i + 1].substr(0, 40) : ""));
    if (i + 1 < words.size() && !IsGoKeyword(words[i + 1])) i++;
    return false;
  }
  i++;
  if (value < 0 || value > limit) {
    Say("go " + key + " " + words[i].substr(0, 40) +
        " is out of range: " + (value < 0 ? "0" : std::to_string(limit)));
    value = std::clamp<int64_t>(value, 0, limit);
  }
  return true;
}

void Go(const Words &words) {
  if (!Uci.havePosition) {
    Say("go before any position: the initial position is searched");
    std::string error;
    ReadEnginePosition("", {}, Position, error);
    Uci.havePosition = true;
  }
  bool whiteToMove = Position.whiteToMove == (Position.moves.size() % 2 == 0);
  EngineSearchLimits limits;
  int64_t time[2] = {-1, -1}, increment[2] = {0, 0}, number = 0;
  for (size_t i = 1; i < words.size(); i++) {
    const std::string &w = words[i];
    if (w == "infinite") {
      limits.infinite = true;
    } else if (w == "ponder") {
      limits.ponder = true;
    } else if (w == "wtime" || w == "btime") {
      if (ReadGoNumber(words, i, MaxMilliseconds, number)) time[w[0] == 'w' ? 0 : 1] = number;
    } else if (w == "winc" || w == "binc") {
      if (ReadGoNumber(words, i, MaxMilliseconds, number)) increment[w[0] == 'w' ? 0 : 1] = number;
    } else if (w == "movestogo") {
      if (ReadGoNumber(words, i, MaxMovesPerPeriod, number)) limits.movesToGo = int(number);
    } else if (w == "movetime") {
      if (ReadGoNumber(words, i, MaxMilliseconds, number))
        limits.moveTime = std::max<double>(1, number) / MillisecondsPerDay;
    } else if (w == "depth") {
      if (ReadGoNumber(words, i, MaxSearchDepth, number)) limits.depth = std::max<int>(1, int(number));
    } else if (w == "mate") {
      if (ReadGoNumber(words, i, MaxSearchDepth / 2, number))
        limits.depth = std::max<int>(1, 2 * int(number));
    } else if (w == "nodes") {
      if (ReadGoNumber(words, i, INT64_MAX, number)) limits.nodes = std::max<uint64_t>(1, uint64_t(number));
    } else if (w == "searchmoves") {
      for (; i + 1 < words.size() && !IsGoKeyword(words[i + 1]); i++) {
        std::string upper = words[i + 1];
        for (char &c : upper)
          if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        std::string text = ToEngineMoveText(upper);
        if (StartsWithSquares(upper) && upper.size() <= 5)
          limits.searchMoves.push_back(text);
        else
          Say("go searchmoves: not a move: " + words[i + 1].substr(0, 20));
      }
    } else {
      Say("go: unknown word " + w.substr(0, 40));
    }
  }
  int side = whiteToMove ? 0 : 1;
  if (time[side] >= 0) {
    limits.clock = true;
    limits.timeLeft = double(time[side]) / MillisecondsPerDay;
    limits.increment = double(increment[side]) / MillisecondsPerDay;
  }

  Uci.stopRequested = Uci.ponderHit = Uci.infoWritten = false;
  Uci.searching = true;
  bool searched = EngineSearch(Position, limits);
  // An infinite search, or one on the opponent's time, answers only when told to.
  while (searched && (limits.infinite || (limits.ponder && !Uci.ponderHit)) && !Uci.stopRequested) {
    ReadInputLine(false);
    PollUciInput();
  }
  Uci.searching = false;
  Move best = searched ? Tree.bestLine.move[1] : NullMove;
  if (best.IsNull()) {
    if (searched)
      WriteProtocolLine(Tree.rootInCheck ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    WriteProtocolLine("bestmove 0000");
    return;
  }
  // A search decided in its first pass over the root moves (a mate, the book, a shallow depth) has
  // said nothing yet.
  if (!Uci.infoWritten) WriteInfo(Tree.bestLine, LineLength - 1, "");
  Move predicted = Tree.bestLine.move[2];
  std::string answer = "bestmove " + UciMoveText(best);
  if (!predicted.IsNull() && predicted.kind != EndOfList) answer += " ponder " + UciMoveText(predicted);
  WriteProtocolLine(answer);
}

void HandleUciLine(const std::string &line) {
  Words words = SplitWords(line);
  if (words.empty()) return;
  const std::string &command = words[0];
  if (command == "uci") {
    Identify();
  } else if (command == "isready") {
    WriteProtocolLine("readyok");
  } else if (command == "debug") {
    Uci.debug = words.size() < 2 || words[1] != "off";
  } else if (command == "setoption") {
    SetOption(words);
  } else if (command == "register") {
  } else if (command == "ucinewgame") {
    EngineNewGame();
  } else if (command == "position") {
    SetPosition(words);
  } else if (command == "go") {
    Go(words);
  } else if (command == "stop" || command == "ponderhit") {
    // nothing is searched: nothing to stop
  } else if (command == "quit") {
    Uci.quit = true;
  } else {
    Say("unknown command: " + command.substr(0, 60));
  }
}

}  // namespace

void ResetUci() { Uci = UciState{}; }

bool IsUciCommand(const std::string &line) {
  Words words = SplitWords(line);
  return words.size() == 1 && words[0] == "uci";
}

void RunUciLoop() {
  ResetUci();
  InstallUciFrontEnd();
  Console.inputLine.clear();
  Console.inputLimit = MaxUciInputLength;
  Identify();
  while (!Uci.quit) {
    ReadInputLine(false);
    std::string line = Console.inputLine;
    Console.inputLine.clear();
    HandleUciLine(line);
  }
}
