#include "eval/RootInputs.h"

#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/Validate.h"
#include "eval/Pawns.h"

// A piece in front of the engine's c-pawn at home while its d-pawn has not reached the centre.
constexpr int32_t CPawnBlock = 15;

EvalState ScanEvalState(Board &board) {
  FindKings(board);
  EvalState state = RecountMaterial(board);
  state.futilityMargin = NoFutilityMargin;
  return state;
}

// The engine may castle and a castling path is empty
static bool EngineCastleReady(const Board &board) {
  uint8_t rights = board[EngineRights];
  bool kingSideClear = board[26] == Empty && board[27] == Empty;
  bool queenSideClear = board[22] == Empty && board[23] == Empty && board[24] == Empty;
  return ((rights & 1) && kingSideClear) || ((rights & 2) && queenSideClear);
}

// The same for the opponent
static bool OpponentCastleReady(const Board &board) {
  uint8_t rights = board[OpponentRights];
  bool kingSideClear = board[96] == Empty && board[97] == Empty;
  bool queenSideClear = board[92] == Empty && board[93] == Empty && board[94] == Empty;
  return ((rights & 1) && kingSideClear) || ((rights & 2) && queenSideClear);
}

// The engine's c-pawn still at home while its d-pawn has not reached the centre: a piece put in
// front of the c-pawn (on 43) blocks it.
static int32_t CPawnBlockPenalty(const Board &board) {
  return board[33] == EnginePawn && board[55] != EnginePawn ? -CPawnBlock : 0;
}

// The engine's castling rights at the root
static uint8_t RootEngineRights(const Board &root) { return root[EngineRights]; }
// The opponent's castling rights at the root
static uint8_t RootOpponentRights(const Board &root) { return root[OpponentRights]; }

void SetGameFlowFlags(EvalContext &context, const Board &gamePosition) {
  context.engineCastleReady = EngineCastleReady(gamePosition);
  context.opponentCastleReady = OpponentCastleReady(gamePosition);
  context.cPawnBlockPenalty = CPawnBlockPenalty(gamePosition);
}

void SetRootValues(EvalContext &context, const Board &root, const EvalState &rootState) {
  context.rootEngineRights = RootEngineRights(root);
  context.rootOpponentRights = RootOpponentRights(root);
  context.rootTotalMaterial = rootState.engineMaterial + rootState.opponentMaterial;
}
