// The legality test the node search applies to a move it has just made on its own board copy.
// Generation is pseudo-legal; this decides whether the mover's own king is safe afterwards, by the
// cheapest test that is exact for the kind of move:
//   - the null move: legal unless the mover was in check;
//   - castling: the king's destination, the square it passed and its start square are not
//     attacked;
//   - en passant: the full attack test on the king (two pawns leave their squares at once);
//   - a king move, or any move made while in check: the full attack test on the king;
//   - any other move: only a line opened through the vacated origin can expose the king, so
//     walk from the origin towards the king and, if the king is met, the other way for an enemy
//     slider that moves along that line.
#pragma once

#include "board/Board.h"
#include "board/Move.h"

// after: the board after MakeMove (its king-square bytes are up to date); move: the move made, with
// its resolved kind (0 = the null move); moverSide: EngineSide or OpponentSide, the side that made
// the move; moverWasInCheck: whether the mover's king was attacked before the move (the in-check
// flag of the node the move was made from). True when the mover's king is not left in check and a
// castling king did not pass through an attacked square.
bool IsLegalAfterMove(const Board &after, Move move, int moverSide, bool moverWasInCheck);

// after: the board after MakeMove; move: the move made (0 = the null move); moverSide: the side
// that made it. True when the move attacks the other side's king: from the square the piece (or
// the promoted piece, or the castling rook) went to, or along a line that the move opened. Equal
// to the full attack test on that king whenever the king was not attacked before the move, as in
// every position reached by a legal move; much cheaper, as only the lines through the squares the
// move changed are walked.
bool MoveGivesCheck(const Board &after, Move move, int moverSide);
