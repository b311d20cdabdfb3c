#include "eval/RootInputs.h"

#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/Squares.h"
#include "board/Validate.h"
#include "eval/Pawns.h"

// A piece in front of the engine's c-pawn at home while no pawn of its own stands on e4 (engine
// only: it is the engine's own development that the blocked pawn holds up).
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
  bool kingSideClear = board[EngineF1] == Empty && board[EngineG1] == Empty;
  bool queenSideClear = board[EngineB1] == Empty && board[EngineC1] == Empty && board[EngineD1] == Empty;
  return ((rights & KingSideCastling) && kingSideClear) || ((rights & QueenSideCastling) && queenSideClear);
}

// The same for the opponent
static bool OpponentCastleReady(const Board &board) {
  uint8_t rights = board[OpponentRights];
  bool kingSideClear = board[EngineF8] == Empty && board[EngineG8] == Empty;
  bool queenSideClear = board[EngineB8] == Empty && board[EngineC8] == Empty && board[EngineD8] == Empty;
  return ((rights & KingSideCastling) && kingSideClear) || ((rights & QueenSideCastling) && queenSideClear);
}

// The engine's c-pawn still at home while no pawn of its own stands on e4: a piece put in
// front of the c-pawn (on c3) blocks it.
static int32_t CPawnBlockPenalty(const Board &board) {
  return board[EngineC2] == EnginePawn && board[EngineE4] != EnginePawn ? -CPawnBlock : 0;
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
