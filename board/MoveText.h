// Coordinate move text: a square is a file letter and a rank digit ("E2"), a move two squares, and
// a promotion the Dutch initial of the piece: P knight, L bishop, T rook, D queen. All text is
// upper case; input is normalised with SqueezeUpper first, so any case and embedded blanks are
// accepted. The board is seen from the engine's side, so square names follow EngineIsWhite: the
// same index names mirrored squares when the engine plays Black (files are never mirrored).
#pragma once

#include <string>
#include <string_view>

#include "board/Board.h"
#include "board/Move.h"

// A promotion piece by its letters: the engine's Dutch initial and the protocol's English one.
struct PromotionName {
  char dutch;
  char english;
  uint8_t enginePiece;
  uint8_t opponentPiece;
};
constexpr PromotionName PromotionNames[4] = {{'P', 'N', EngineKnight, OpponentKnight},
                                             {'L', 'B', EngineBishop, OpponentBishop},
                                             {'T', 'R', EngineRook, OpponentRook},
                                             {'D', 'Q', EngineQueen, OpponentQueen}};
// The promotion an upper-case letter names (english: the protocol's letters); nullptr for none.
const PromotionName *FindPromotion(char letter, bool english);

// "??" outside 0..127, "RR" off the playing squares, else the name as the engine's colour sees it.
std::string SquareName(int square);
std::string SquareNameAs(int square, bool engineIsWhite);
// The square a two-character name denotes; 0 unless it is a file A..H and a rank 1..8.
int ParseSquare(std::string_view text);
int ParseSquareAs(std::string_view text, bool engineIsWhite);
// From and to of the first four characters, kind QuietMove; NullMove if either does not parse.
Move ParseMove(std::string_view text);
Move ParseMoveAs(std::string_view text, bool engineIsWhite);  // as the side given sees the board
// The opponent's promotion piece a typed move asks for by its fifth character: L bishop, P knight,
// T rook, anything else or nothing the queen. The game flow puts it on a move FindOpponentMove
// recognised as a promotion.
uint8_t TypedPromotionPiece(std::string_view text);
// The move from one square to another as what stands on the board makes it: a capture when the
// target is occupied, castling for a king's double step, en passant for a pawn changing file onto
// an empty square, and a pawn reaching the last row becomes a queen.
Move ResolveMove(const Board &board, int from, int to);
// "E2-E4", "D5xE6", "E7xD8D"; "*STOP*" for the end marker, five blanks for no move, "?" as the
// separator of an unresolved kind.
std::string MoveText(Move move);
std::string CompactMoveText(Move move);  // "E2E4", "E7E8D"
// Standard algebraic notation for the side to move, which is the engine (set-up makes it so),
// read and written with the engine's own generator and legality test. Square names follow
// EngineIsWhite; pieces and promotions are the English letters K Q R B N.
// The legal move the text names ("Nbd7", "exd6", "e8=Q", "O-O", with or without "+", "#", "!",
// "?"); NullMove when no legal move or more than one fits. A pawn reaching the last row without a
// promotion letter becomes a queen.
Move ReadSanMove(const Board &board, std::string_view text);
// The text of a legal move ("Nbd7", "exd6", "e8=Q", "O-O"), without check marks.
std::string SanMoveText(const Board &board, Move move);
// Replays four-character moves from CurrentBoard, the sides taking turns from the given one. Each
// move must be a legal move of the side to move there (a pawn reaching the last row becomes a
// queen). True when every move was played; otherwise CurrentBoard is left as it was.
bool PlayMoveString(std::string_view text, bool engineMovesFirst);
