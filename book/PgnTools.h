// Tools that prepare opening material from game collections in PGN text. They work on fixed files
// of one directory, PgnDirectory: the game filter copies every game of xx.txt that contains a key
// to yy.txt; the book builder reads xx2600u.txt, whose move text must be in coordinate notation,
// and writes the opening moves of the games a listed player won or drew with the wanted colour to
// Wxxboek.txt or Zxxboek.txt as sorted variant lines ("e2e4e7e5...\PLAYER 1-0 SITE"). Everything
// after the backslash is a comment to the test-suite runner, so that file runs as a test suite.
//
// Lines are read as text of at most 255 characters and compared in their SqueezeUpper form, so the
// White tag of a game reads [WHITE"NAME,FIRST"]. Files are written in CRLF lines. Neither tool
// produces the book files the engine plays from. Progress ("  >> " and a count) goes to the
// message line the caller passes.
#pragma once

#include <string>
#include <string_view>

// The fixed directory of the tools, under the current directory.
constexpr const char *PgnDirectory = "pgnextract/";

// The nine players whose games the book builder takes, each surname between "#" signs.
constexpr const char PlayerList[] =
    "#TARLOV#OSTRAVIK#MERDOLT#VANKRIS#DUBRECK#PRADENKO#HOLTEMA#SIRANOV#KELDIX#";
static_assert(sizeof PlayerList - 1 == 73, "nine surnames and ten separators make 73 characters");

constexpr int GameBufferLines = 100;  // lines of one game the filter keeps; the rest are dropped
constexpr int VariantLimit = 6000;    // variants the book builder keeps; the rest are dropped
constexpr size_t VariantWidth = 250;  // characters of one variant line
constexpr int BookTextMoves = 14;     // moves per variant the interpreter asks for

// Copies every game of inputPath (a game begins at an [Event tag) in which some line contains the
// key to outputPath, lines as read. False when a file cannot be read or written (nothing is written
// when the input cannot be read); failure then says which and why ("cannot read PATH (reason)").
bool FilterGamesByKey(const std::string &inputPath, const std::string &outputPath, std::string_view key,
                      std::string &messageLine, std::string &failure);
// Writes the variants of the first moveCount moves (limited to 0..14; below 0 is 1) of the games
// whose player from PlayerList had White (white) or Black, and which he won or drew, outside
// blitz, blindfold and simultaneous games. False, with failure, as for the filter.
bool BuildBookText(const std::string &inputPath, const std::string &outputPath, int moveCount, bool white,
                   std::string &messageLine, std::string &failure);
