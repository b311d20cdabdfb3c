// What the evaluation reads besides the node's board and EvalState, and how the game flow and the
// search's root set it up.
//
// EvalContext: the game-flow flags, computed from the game position before each search (after the
// opponent's move is on the board), and the values the search fixes at its root. The evaluation
// only reads it; the search keeps one for the whole search and passes it to every evaluation.
//
// The EvalState of a search starts from ScanEvalState: material, balances and bishop colour counts
// from a scan of the board, every path and term field 0, and no futility margin. MakeMove keeps the
// material fields from there on.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/EvalState.h"
#include "board/Move.h"

constexpr int32_t NoFutilityMargin = 128000;  // futilityMargin when a node has set none
constexpr int32_t RootExtensionCredit = -5;   // extensionCredit at the root of a search

struct EvalContext {
  bool engineCastleReady;      // EngineCastleReady of the game position
  bool opponentCastleReady;    // OpponentCastleReady
  int32_t cPawnBlockPenalty;   // CPawnBlockPenalty: -15 or 0
  uint8_t rootEngineRights;    // RootEngineRights: castling byte 120 of the root
  uint8_t rootOpponentRights;  // RootOpponentRights: castling byte 121 of the root
  int32_t rootTotalMaterial;   // engineMaterial + opponentMaterial at the root
  int32_t drawishCap;          // DrawishCap of the search driver, 0 = no draw pull
  int32_t lazyEvalDepth;       // from this depth on a null-move subtree keeps its parent's positional sum
};

EvalState ScanEvalState(Board &board);  // a fresh record from the squares; fills bytes 124, 125

// The game flow's part of the context, from the position the search starts in.
void SetGameFlowFlags(EvalContext &context, const Board &gamePosition);
// The search root's part: castling rights and total material of the root; drawishCap and
// lazyEvalDepth stay as the search driver set them.
void SetRootValues(EvalContext &context, const Board &root, const EvalState &rootState);
