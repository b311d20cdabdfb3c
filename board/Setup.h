// Reading a position from text: a FEN/EPD line (the protocol's set-up command and the lines of a
// test file) and the engine's own key=value position file. Both lay the board out from the side to
// move's point of view: that side becomes the engine (odd codes, mailbox not mirrored when it is
// White, mirrored when it is Black).
//
// These readers only parse: they change neither the game position nor EngineIsWhite. Restarting
// the game on the new position (new game, install the board, empty the history, push the key) is
// the game flow's work.
//
// Both readers refuse a position that the engine could not search safely: one without exactly one
// king of each side, or with more than 8 pawns of one side (the search reads the king squares and
// the evaluation keeps 8 pawn squares per side). They also drop castling rights whose king or rook
// is not on its square and an en passant square that does not hold the pawn that just made a double
// step, since making such a castling or capture would conjure up or remove the wrong piece.
#pragma once

#include <string>
#include <string_view>

#include "board/Board.h"

// Reads a FEN/EPD line (cut at 255 characters). On success returns true and fills board (king
// squares included) and engineIsWhite (true when White is to move). On failure (no " w " or " b "
// side marker, or a refused position) returns false and leaves both arguments as they were.
// Placement beyond 8 ranks, or beyond 8 squares in a rank, is ignored.
bool ReadFen(std::string_view line, Board &board, bool &engineIsWhite);

// The same position seen from the other side, which becomes the engine: rows mirrored, the sides of
// all pieces exchanged, castling rights, king squares and the en passant square carried over.
Board OtherSideView(const Board &board);

// Reads a position file, opened by the path as given. Square names are read as White's until a WT
// line says otherwise. On success returns true and fills board (king squares included) and
// engineIsWhite; when the file cannot be read or the position is refused, returns false and leaves
// both arguments as they were.
bool ReadPositionFile(const std::string &path, Board &board, bool &engineIsWhite);
