// The board seen from the engine's side: the piece codes, the 128-byte record and the few
// operations that compare or turn a whole board.
//
// Board: a 10 x 12 mailbox (indices 0..119, index = 10 * row + column) with the position state
// appended at fixed indices, 128 bytes in all, copied whole into every search node. The engine's
// pieces carry odd codes, stand at the bottom (its back row is mailbox row 2) and its pawns move
// towards higher indices; the opponent's pieces carry even codes. When the engine plays Black the
// mailbox is mirrored top to bottom; files are never mirrored. Playing squares are rows 2..9 and
// columns 1..8 (21..98); everything else holds Border, except indices 20 and 99 which hold the
// Sentinel that ends an upward scan from 21.
//
// Elsewhere: the tables computed from the geometry in board/Geometry.h, moves in board/Move.h,
// the sixteen-square scans in board/SquareScan.h, attack tests in board/Attacks.h, the game record
// in board/GameRecord.h and the per-node evaluation record in board/EvalState.h.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Square contents: the low two bits are the side bits.
constexpr uint8_t Empty = 0;
constexpr uint8_t EngineKnight = 9;
constexpr uint8_t OpponentKnight = 10;
constexpr uint8_t EngineBishop = 13;
constexpr uint8_t OpponentBishop = 14;
constexpr uint8_t EngineRook = 17;
constexpr uint8_t OpponentRook = 18;
constexpr uint8_t EngineQueen = 21;
constexpr uint8_t OpponentQueen = 22;
constexpr uint8_t EngineKing = 25;
constexpr uint8_t OpponentKing = 26;
constexpr uint8_t Sentinel = 35;      // "#": on 20 and 99, ends scans that run upward from 21
constexpr uint8_t EnginePawn = 37;    // "%"
constexpr uint8_t OpponentPawn = 38;  // "&"
constexpr uint8_t Border = 39;

constexpr uint8_t SideMask = 3;
constexpr uint8_t EngineSide = 1;
constexpr uint8_t OpponentSide = 2;
constexpr uint8_t OffBoardSide = 3;

// Position state at fixed indices of the board record.
constexpr int EngineRights = 120;     // bit 1: may castle king side (rook on 28), bit 2: queen side (21)
constexpr int OpponentRights = 121;   // bit 1: king side (rook on 98), bit 2: queen side (91)
constexpr int EnPassantSquare = 122;  // the pawn that just made a double step, 0 = none
constexpr int EngineKingSquare = 124;
constexpr int OpponentKingSquare = 125;
// The bits of the rights bytes.
constexpr uint8_t KingSideCastling = 1, QueenSideCastling = 2;

constexpr int BoardSize = 128;
constexpr int PieceCodeCount = 40;

using Square = int8_t;

struct Board {
  uint8_t cell[BoardSize];

  uint8_t &operator[](int index) { return cell[index]; }
  const uint8_t &operator[](int index) const { return cell[index]; }
};
static_assert(sizeof(Board) == 128, "a board is a 128-byte record");

inline uint8_t SideOf(uint8_t content) { return content & SideMask; }
// ---------------------------------------------------------------------------------------------
bool IsPlayingSquare(int index);                      // rows 2..9 and columns 1..8 of the mailbox
bool FindKings(Board &board);                         // one king a side; fills the king-square bytes
bool SamePosition(const Board &a, const Board &b);    // squares 21..98 and bytes 120..122
bool SameStateBytes(const Board &a, const Board &b);  // bytes 120..122 only
// The same position seen from the other side: rows mirrored, the sides' codes, castling rights and
// king squares swapped, the en passant pawn's square mirrored with the board.
Board SeenFromOtherSide(const Board &board);
