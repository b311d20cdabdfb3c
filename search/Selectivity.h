// The board tests behind the search's selective decisions: extensions, reductions, static
// cut-offs and the null move. side arguments are EngineSide or OpponentSide.
#pragma once

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

// At most limit of the 8 squares around the king of kingSide are free for it: on the board, empty
// or enemy-held, and not attacked by the other side. With liftKing the king is taken off the
// board while the squares are tested.
bool FlightSquaresAtMost(Board &board, int kingSide, int limit, bool liftKing);
// EdgeClass of the king's square plus the squares around it that attackingSide attacks reach 4.
bool KingAttackCountReaches4(const Board &board, int kingSquare, int attackingSide);
// The moved piece (on move.to) fled a threat: with it lifted, its origin is attacked by the side
// now to move, by a cheaper piece or undefended by the mover's side.
bool EscapeTest(Board &board, Move move, int moverSide);
// The pawn of pawnSide that moved to square (it may have promoted there) has no enemy pawn ahead
// of it on its own or a neighbouring file.
bool PassedPawnTest(const Board &board, int square, int pawnSide);
bool AdvancedPawnTest(const Board &board, int square);  // a pawn deep in the enemy half, unblocked
int ZoneCentre(int kingSquare);                         // one step towards the centre from the edge
// The moved piece on square comes near the zone centre of the enemy king.
bool KingZoneTest(const Board &board, int square, int enemyKingSquare);
// The side to move can stand pat: the other side has no pawn one step from promotion and either
// the margin d is large or no piece of the side to move that d does not cover is attacked.
bool HangingTest(const Board &board, int sideToMove, int32_t d);
// The engine's development is incomplete on a wing while much material is on the board: the game
// flow sets the search's opening guidance from this before each search.
bool OpeningGuidance(const Board &board, const EvalState &state);
