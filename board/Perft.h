// Perft: counting the leaves of the move tree exactly as the search walks it, as the proof of the
// generators, MakeMove and the legality test against published counts. The side to move at the
// root is the engine (set-up makes it so); the sides alternate below it. Every child is a copy of
// its parent's board and EvalState with the move made on it, and counts only if IsLegalAfterMove
// accepts it.
#pragma once

#include <cstdint>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/EvalState.h"
#include "board/MakeMove.h"
#include "board/Move.h"
#include "board/MoveGen.h"

// Hands every pseudo-legal move of the side to move to visit, in the order a full-width search
// node receives them when it has no hash move, killers or tried moves: the captures best first
// (NextCapture, all), then the quiet moves (NextQuietMove).
template <typename Visit>
void ForEachNodeMove(const Board &board, bool engineToMove, Visit &&visit) {
  MoveList list;
  int top = engineToMove ? GenerateEngineMoves(board, true, list) : GenerateOpponentMoves(board, true, list);
  TriedMoves none{};
  CaptureList captures;
  CollectCaptures(board, list, top, engineToMove ? EngineSide : OpponentSide, none, captures);
  for (Move move = NextCapture(captures, CaptureMode::All, 0); move.kind != EndOfList;
       move = NextCapture(captures, CaptureMode::All, 0))
    visit(move);
  for (Move move = NextQuietMove(list, top, none); move.kind != EndOfList;
       move = NextQuietMove(list, top, none))
    visit(move);
}

// Makes the move on child (a copy of board and state); true when the move is legal.
bool MakeLegalChild(const Board &board, const EvalState &state, Move move, bool engineToMove, bool inCheck,
                    Board &child, EvalState &childState);

// Hands every legal move with the position after it to visit(move, child, childState), in the
// order of ForEachNodeMove.
template <typename Visit>
void ForEachLegalChild(const Board &board, const EvalState &state, bool engineToMove, Visit &&visit) {
  bool inCheck = SideToMoveInCheck(board, engineToMove);
  ForEachNodeMove(board, engineToMove, [&](Move move) {
    Board child;
    EvalState childState;
    if (MakeLegalChild(board, state, move, engineToMove, inCheck, child, childState))
      visit(move, child, childState);
  });
}

// Leaves at the given depth below the position (1 at depth 0).
uint64_t Perft(const Board &board, const EvalState &state, int depth, bool engineToMove);
