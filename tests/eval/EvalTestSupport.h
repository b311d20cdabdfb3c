// Hand-built positions for the evaluation tests: a board from a list of pieces on engine-relative
// squares, with the EvalState a search would start from, and the evaluation of its root.
#pragma once

#include <vector>

#include "board/Board.h"
#include "eval/Evaluate.h"
#include "eval/Pawns.h"
#include "eval/RootInputs.h"
#include "eval/Score.h"

struct Placement {
  int square;
  uint8_t piece;
};

struct Position {
  Board board;
  EvalState state;
  EvalContext context;
};

inline void InitEvalTables() {
  InitBoardTables();
  InitEvaluationMasks();
}

// Castling rights 0 unless given; king squares, material and the root context from the pieces.
inline Position MakePosition(const std::vector<Placement> &pieces, uint8_t engineRights = 0,
                             uint8_t opponentRights = 0) {
  Position position{};
  position.board = EmptyBoard;
  for (const Placement &p : pieces) position.board[p.square] = p.piece;
  position.board[EngineRights] = engineRights;
  position.board[OpponentRights] = opponentRights;
  position.state = ScanEvalState(position.board);
  SetGameFlowFlags(position.context, position.board);
  SetRootValues(position.context, position.board, position.state);
  return position;
}

inline EvalState EvaluatedRoot(Position position, Move lastMove = NullMove) {
  EvaluateRoot(position.board, position.state, position.context, lastMove);
  return position.state;
}
