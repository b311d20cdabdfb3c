// The bad-input catalogue: every outside input of the engine fed what a broken interface, a
// damaged file or a careless user would give it, through the real binaries. Each case states its
// outcome; every case must end cleanly (its exit status, nothing from a sanitizer on standard
// error), and after a protocol case the engine must still answer a normal move.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Scratch.h"

namespace {

using namespace std::string_literals;

enum class Run {
  Engine,          // krelin: the handshake, the input, then a normal move that must be answered
  EngineInputEnd,  // krelin: the handshake and the input, which ends there
  Dev,             // krelin-dev with the input as its blank-separated arguments
};

struct File {
  std::string name;     // a name ending in "/" makes a directory
  std::string content;  // "->PATH" makes a symbolic link to PATH
};

struct BadInput {
  const char *name;
  Run run;
  std::string input;
  std::vector<File> files;           // put in the engine's directory before it starts
  std::vector<std::string> outcome;  // each a line that must be there: a pattern of standard output,
                                     // "FILE:pattern" of that file; "!" first: no such line
  int exitStatus = 0;
};

void PrintTo(const BadInput &c, std::ostream *out) { *out << c.name; }

// Deterministic garbage: every byte value, line feeds included.
std::string Garbage(size_t size, uint32_t seed) {
  std::string bytes;
  for (size_t i = 0; i < size; i++) bytes += char((seed = seed * 1103515245u + 12345u) >> 23);
  return bytes;
}

std::string Repeat(const std::string &text, int times) {
  std::string all;
  for (int i = 0; i < times; i++) all += text;
  return all;
}

std::vector<File> Books(const std::string &bytes) {
  return {{"KrelinWhite.bk", bytes}, {"KrelinBlack.bk", bytes}};
}

const std::string Refused = "^tellusererror Illegal position$";
const std::string AnyMove = "^move [a-h][1-8][a-h][1-8][QRBN]?$";
// The first new after start-up starts no game, so it is sent twice.
const std::string NormalMove = "\nnew\nnew\neasy\nlevel 0 0 0\ntime 0\nusermove e2e4\n";
std::string SetUp(const std::string &fen) { return "setboard " + fen + "\ntime 0\ngo\n"; }

// clang-format off
const BadInput Catalogue[] = {
    // Protocol lines.
    {"BinaryGarbage", Run::Engine, Garbage(8192, 7), {}, {}},
    {"NulBytesAreDroppedLikeBlanks", Run::Engine, "\0\0\0\nnew\neasy\ntime 0\nusermove e2\0e4\n"s, {},
     {AnyMove}},
    {"OneMegabyteLineIsCut", Run::Engine, "usermove " + std::string(1 << 20, 'a') + "\n", {},
     {"^Illegal move: A+$"}},
    {"CrLfLines", Run::Engine, "new\r\neasy\r\nlevel 0 0 0\r\ntime 0\r\nusermove d2d4\r\n", {}, {AnyMove}},
    {"InputEndsInsideALine", Run::EngineInputEnd, "new\neasy\nlevel 0 0 0\ntime 0\nusermove e2e4", {},
     {AnyMove}},
    {"InputEndsInTheSetUpWait", Run::EngineInputEnd, "setboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1\n",
     {{"krelininit.txt", "HASH=1\nCLOG=1\n"}}, {"!.", "FILE:conlogbestand.txt:^in:  setboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1$"}},
    {"InputEndsWhilePondering", Run::EngineInputEnd, "new\nhard\nlevel 0 0 0\ntime 0\nusermove e2e4\n", {},
     {AnyMove}},
    {"CommandsOutOfPlace", Run::Engine, "undo\nremove\nremove\n?\nresult\nforce\nundo\nundo\n?\n", {},
     {"!."}},
    {"ClockNumbersOutOfRange", Run::Engine,
     "level 4294967297 5 0\nlevel 0 1e999 -1e999\nlevel 0x10 inf nan\ntime nan\ntime inf\ntime 0x1p30\n"
     "time 99999999999999999999999\notim -1e999\n", {}, {"!."}},
    // Positions from the interface: refused ones are answered, never searched.
    {"NoPosition", Run::Engine, SetUp(""), {}, {Refused}},
    // After a refused set-up the engine holds another position than the interface: go and moves
    // are answered with an error, never with a move (the old position has the other side to move).
    {"NoMoveAfterARefusedSetUp", Run::Engine,
     "new\nsetboard 8/8/8/8/8/8/8/8 w - - 0 1\ntime 0\ngo\nusermove e2e4\nforce\ne7e5\ngo\n", {},
     {Refused, "^Error \\(illegal position\\): go$", "^Error \\(illegal position\\): usermove e2e4$",
      "^Error \\(illegal position\\): e7e5$", "!^move "}},
    {"SlashesOnly", Run::Engine, SetUp(std::string(240, '/') + " w"), {}, {Refused}},
    {"TwoHundredCharacterFields", Run::Engine,
     SetUp("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w " + std::string(200, 'K') + " " +
           std::string(200, '-')),
     {}, {"!tellusererror", AnyMove}},
    // The configuration file and the books.
    {"ConfigurationOfGarbage", Run::Engine, "",
     {{"krelininit.txt", Garbage(4096, 3) + "\nHASH=99999999999999999999\n"}}, {}},
    {"BookOfMoreThan8000Lines", Run::Engine, "", Books(Repeat(RecordBytes({85, 65, 35, 55}), 8001)), {}},
    {"BookOfGarbage", Run::Engine, "", Books(Garbage(61 * 200, 11)), {}},
    {"BookIsADirectory", Run::Engine, "", {{"KrelinWhite.bk/", ""}, {"KrelinBlack.bk/", ""}}, {}},
    // Test files, position files and the test-suite runner.
    {"PositionFileWithAPawnOnTheFirstRank", Run::Dev, "interp /H=2 /VT",
     {{"T.txt", "P001\n"}, {"P001.txt", "K1=E1\nK2=E8\nB1=A1\n"}},
     {"FILE:testresultaat_T.txt:^Aantal vars/posities: 1$", "FILE:testresultaat_T.txt:!^kn="}},
    {"TenThousandLineTestFile", Run::Dev, "interp /H=1 /VT",
     {{"T.txt", Repeat("E2E4E7E5E1E3 \\ a king's leap\n", 10000)}},
     {"FILE:testresultaat_T.txt:^Aantal vars/posities: 10000$"}},
    {"TestFileOfGarbage", Run::Dev, "interp /H=1 /VT", {{"T.txt", Garbage(20000, 5)}}, {}},
    {"FullDiskUnderTheTestRunner", Run::Dev, "interp /H=2 /VT",
     {{"T.txt", "E2E4\nD2D4\nC2C4\n"}, {"testresultaat_T.txt", "->/dev/full"}}, {"!."}},
    // The PGN tools and the book builder.
    {"UnterminatedPgn", Run::Dev, "interp /ZTARLOV",
     {{"pgnextract/", ""}, {"pgnextract/xx.txt", "[Event \"x\"]\n[White \"Tarlov\n1. e2e4"}},
     {"^  >> 1$", "FILE:pgnextract/yy.txt:^1. e2e4"}},
    {"PgnOfGarbage", Run::Dev, "interp /MW /MZ /ZE",
     {{"pgnextract/", ""}, {"pgnextract/xx.txt", Garbage(30000, 9)}, {"pgnextract/xx2600u.txt",
     Garbage(30000, 9)}},
     {"FILE:pgnextract/Wxxboek.txt:^\\\\ Wit", "FILE:pgnextract/Zxxboek.txt:^\\\\ Zwart"}},
    {"PgnToolsWithoutTheirDirectory", Run::Dev, "interp /ZKEY /MW", {}, {"!."}},
    {"MkbookOnAnEmptyText", Run::Dev, "mkbook white empty.txt out.bk", {{"empty.txt", ""}},
     {"^0 lines and 0 markers written to out.bk$"}},
    {"DevToolOnAnImpossiblePosition", Run::Dev, "perft NNNNkNNN/NNNNNNNN/8/8/8/8/8/4K3 b - - 1", {}, {"!."},
     1},
};
// clang-format on

std::vector<std::string> Words(const std::string &text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

void PutFiles(const ScratchDirectory &scratch, const std::vector<File> &files) {
  for (const File &file : files) {
    std::string path = scratch.Path() + "/" + file.name;
    if (file.name.back() == '/')
      std::filesystem::create_directories(path);
    else if (file.content.rfind("->", 0) == 0)
      std::filesystem::create_symlink(file.content.substr(2), path);
    else
      scratch.Write(file.name, file.content);
  }
}

// Whether some line matches (or, with "!" first, none does).
void ExpectLine(const std::vector<std::string> &lines, std::string pattern, const std::string &where) {
  bool wanted = pattern.empty() || pattern[0] != '!';
  if (!wanted) pattern.erase(0, 1);
  std::regex expression(pattern);
  bool found = false;
  for (const std::string &line : lines) found = found || std::regex_search(line, expression);
  EXPECT_EQ(found, wanted) << (wanted ? "no line of " : "a line of ") << where << " matches " << pattern;
}

class BadInputCatalogue : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputCatalogue, EndsCleanlyWithItsOutcome) {
  const BadInput &c = GetParam();
  if (c.name == "FullDiskUnderTheTestRunner"s && !std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full on this machine";
  ScratchDirectory scratch;
  scratch.Write("krelininit.txt", "HASH=1\n");
  PutFiles(scratch, c.files);
  std::vector<std::string> command = {KRELIN_BINARY};
  std::string input = "xboard\nprotover 2\n" + c.input + (c.run == Run::Engine ? NormalMove : "");
  if (c.run == Run::Dev) {
    command = Words(c.input);
    command.insert(command.begin(), KRELIN_DEV_BINARY);
    input.clear();
  }
  ProcessResult result = RunProgram(command, scratch.Path(), input, 120);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, c.exitStatus);
  EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;

  std::vector<std::string> out = SplitLines(result.out);
  if (c.run != Run::Dev) {
    ASSERT_GE(out.size(), 10u);
    out.erase(out.begin(), out.begin() + 10);  // the features
  }
  if (c.run == Run::Engine) {
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(std::regex_match(out.back(), std::regex(AnyMove))) << out.back();
    out.pop_back();  // the answer to the normal move is not part of the case's outcome
    while (!out.empty() && out.back().rfind("3 0 ", 0) == 0) out.pop_back();  // its book line
  }
  for (const std::string &expected : c.outcome) {
    if (expected.rfind("FILE:", 0) != 0) {
      ExpectLine(out, expected, "the output");
      continue;
    }
    size_t colon = expected.find(':', 5);
    std::string name = expected.substr(5, colon - 5);
    ExpectLine(SplitLines(scratch.Read(name)), expected.substr(colon + 1), name);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputCatalogue, ::testing::ValuesIn(Catalogue),
                         [](const ::testing::TestParamInfo<BadInput> &p) { return p.param.name; });

}  // namespace
