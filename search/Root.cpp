// The root's part of the node procedure (see search/Root.h) and the poll of input and clock.
#include "search/Root.h"

#include <algorithm>

#include "board/Attacks.h"
#include "board/Legality.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "eval/RootInputs.h"
#include "search/SearchControl.h"
#include "search/TransTable.h"

namespace {

// The depths derived from the horizon at the root.
constexpr int ExtensionLimitBase = 65;  // the path's extensions stop at this minus the horizon
constexpr int LateDepthDistance = 6;
constexpr int MinLateDepth = 3;
constexpr int32_t RootPieceMaterialGate = 960;  // lazy evaluation needs both sides above it at the root
constexpr int NoLazyEvalDepth = 1000;
constexpr int MinLazyEvalDepth = 6;

constexpr int32_t BookMoveBonus = 20;  // path bonus of the preferred book move at its root node
constexpr int RootPreMoveCount = 20;   // the best root moves searched first, in table order

// An early step of the engine's king while the opponent keeps a lot of material.
constexpr int32_t KingStepMaterialGate = 1650;
constexpr int32_t EarlyKingStepPenalty = 3;

// The clock.
constexpr int TimeStopMinDepth = 6;  // below it the clock never cuts an iteration short
constexpr int32_t TimeStopScoreMargin = 15;
constexpr int SoleMovePonderDepth = 6;  // after a ponder hit, a sole legal move is played deeper than this
constexpr int LinesPerPoll = 8;

}  // namespace

bool SetUpRoot(SearchThread &t, const Board &board, EvalState &state, Move lastMove) {
  t.rootMovesDone = 0;
  state.extensionCredit = RootExtensionCredit;
  t.extensionLimit = ExtensionLimitBase - t.horizon;
  t.lateDepth = std::max(t.horizon - LateDepthDistance, MinLateDepth);
  t.horizonLess4 = t.horizonLess2 - 2;
  bool bothHavePieces = state.enginePieceMaterial > RootPieceMaterialGate &&
                        state.opponentPieceMaterial > RootPieceMaterialGate;
  if (t.rootScoringPass) t.rootBothHavePieces = bothHavePieces;
  t.lazyEvalDepth = t.root->limits.fullEvalToggle || !t.rootBothHavePieces
                        ? NoLazyEvalDepth
                        : std::max(t.horizon, MinLazyEvalDepth);
  t.context.lazyEvalDepth = t.lazyEvalDepth;
  t.rootInCheck = IsAttacked(board, board[EngineKingSquare], OpponentSide);
  if (!t.rootScoringPass) return true;

  // The opponent's move: its king must not be attacked, castling not through check (a real move
  // gets the full attack test). The game flow has not counted an illegal move into the game.
  if (!IsLegalAfterMove(board, lastMove, OpponentSide, lastMove.kind != 0)) return false;
  bool lastMoveIrreversible =
      lastMove.kind == CaptureMove || lastMove.kind == EnPassantMove || lastMove.promotion != 0;
  if (lastMoveIrreversible) t.drawishCap = 0;
  t.context.drawishCap = t.drawishCap;
  SetRootValues(t.context, board, state);
  t.rootMoveCount = 0;
  for (auto &row : t.quietSeen)
    for (bool &seen : row) seen = false;
  t.bookMatchCount = 0;
  // Without a book move, a mate the table remembers for this position is played as the book's.
  Move mateMove;
  if (BookRecord.status != BookMovesFound && TTFindMateMove(board, ComputeKey(board), mateMove)) {
    BookRecord.slot[0] = mateMove;
    BookRecord.status = BookStoredMate;
  }
  return true;
}

bool RootMoveTerms(SearchThread &t, Move move, uint8_t piece, bool inCheck, EvalState &state,
                   int32_t &value) {
  if (BookRecord.status == BookMovesFound) {
    if (!BookRecord.noBonus && move == BookRecord.slot[0]) state.positionalAdjust += BookMoveBonus;
    bool candidate = IsBookCandidate(move);
    if (t.rootScoringPass) {
      if (candidate) t.bookMatchCount++;
    } else if (t.bookMatchCount > 0 && !candidate) {
      value = -Infinite;  // once the book has spoken, only its moves are searched
      return true;
    }
  }
  // Once the supplied reply has been found, the other root moves count as nothing.
  if (BookRecord.status == BookSuppliedReply && CompactMoveText(move) != t.root->suppliedReply) {
    value = 0;
    return true;
  }
  // The engine's king leaving its back row, or stepping to the b- or g-pawn's square, early.
  bool earlyKingSquare = (move.to >= 21 && move.to <= 28) || move.to == 32 || move.to == 37;
  if (t.selectiveMode && piece == EngineKing && move.kind == QuietMove && !inCheck &&
      state.opponentPieceMaterial > KingStepMaterialGate && earlyKingSquare)
    state.positionalAdjust -= EarlyKingStepPenalty;
  return false;
}

int LoadRootPreMoves(SearchThread &t, Move *preMoves) {
  Move follow = t.followLine.move[1];
  int n = t.rootMoveCount;
  if (!follow.IsNull()) {
    // The previous iteration's best move goes last, to be searched first.
    for (int i = 1; i < n; i++) {
      if (t.rootMoveTable[i].move == follow) {
        RootMove moved = t.rootMoveTable[i];
        for (int k = i; k < n; k++) t.rootMoveTable[k] = t.rootMoveTable[k + 1];
        t.rootMoveTable[n] = moved;
        break;
      }
    }
  }
  int count = 0;
  for (int i = std::max(1, n - (RootPreMoveCount - 1)); i <= n; i++)
    preMoves[count++] = t.rootMoveTable[i].move;
  return count;
}

int32_t RootMoveScore(const SearchThread &t, Move move, int32_t score) {
  if (!t.rootScoringPass) return score;
  const std::string &supplied = t.root->suppliedReply;
  if (!supplied.empty() && supplied == CompactMoveText(move)) {
    BookRecord.chosen = true;
    BookRecord.status = BookSuppliedReply;
    return Infinite;
  }
  if (move == BookRecord.slot[0] && t.rootBest < Infinite && score < Infinite &&
      !(BookRecord.status == BookMovesFound && !BookRecord.noBonus)) {
    BookRecord.chosen = true;
    return BookMoveScore;
  }
  return score;
}

void RootMoveSearched(SearchThread &t, Move move, int32_t score, bool improved,
                      const PrincipalLine &childLine, PrincipalLine &line, int32_t &value, bool &cutoff) {
  const SearchLimits &limits = t.root->limits;
  if (t.rootScoringPass) {
    // Every root move gets an exact score: the root's value opens again after each.
    if (t.rootMoveCount < RootMoveLimit) {
      t.rootMoveCount++;
      t.rootMoveTable[t.rootMoveCount] = RootMove{move, score - t.rootEvaluation};
    }
    if (score > t.rootBest) {
      t.rootBest = score;
      ExtendLine(t.bestLine, move, childLine, 1);
    }
    if (!cutoff) value = -Infinite;
  } else if (improved || t.rootMovesDone == 0) {
    t.rootBest = score;
    // A mate found by the failed iteration stands until the research finds one as good.
    if (t.rootMovesDone == 0 && t.researchCount > 0 && t.failScore >= MateThreshold &&
        t.rootBest < t.failScore) {
      value = t.rootBest = t.failScore;
      line = t.failLine;
      cutoff = true;
    }
    t.bestLine = line;
    if (t.isMain && (t.horizon >= SelectiveHorizon || t.rootBest >= MateThreshold))
      Hooks.postLine(PostLineMoves);
    if (t.isMain && limits.testMode && t.horizon > SelectiveHorizon) Hooks.searchLogLine(t.rootMovesDone);
  }
  bool anotherBefore = t.rootMovesDone > 0;
  t.rootMovesDone++;
  if (t.isMain && Signals.timedMode && !limits.testMode && t.horizon >= TimeStopMinDepth &&
      t.horizon >= limits.minTimeStopDepth && anotherBefore && t.researchCount == 0 &&
      t.iterationScore[t.horizon - 1] - TimeStopScoreMargin < t.rootBest &&
      Hooks.elapsedTime() + t.ponderTimeCredit >= limits.softTimeLimit) {
    Signals.stopSearch = Signals.stoppedByTime = true;
  }
}

bool RootMoveAllowed(const SearchThread &t, Move move) {
  const SearchLimits &limits = t.root->limits;
  if (limits.rootMoveCount <= 0) return true;
  for (int i = 0; i < limits.rootMoveCount; i++)
    if (limits.rootMoves[i] == move) return true;
  return false;
}

bool PollAndTestTime(SearchThread &t) {
  if (!t.isMain) return SearchStopped();  // the main thread alone reads input and the clock
  t.pollCounter++;
  if ((t.pollCounter & t.pollMask) != 0) return false;
  const SearchLimits &limits = t.root->limits;
  // The cap waits for the scoring pass's first root move, so that the search has a move to play.
  if (limits.nodeCap > 0 && t.nodeCount >= limits.nodeCap && (!t.rootScoringPass || t.rootMovesDone > 0)) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  // Every line that has arrived is handled now: a move, its clock lines and a command come
  // together, and a ponder hit must not wait for further polls.
  if (!Signals.stopSearch && !t.rootScoringPass && Hooks.inputWaiting()) {
    int lines = 0;
    do Hooks.pollInput();
    while (++lines < LinesPerPoll && !Signals.stopSearch && Signals.commandText.empty() &&
           Hooks.inputWaiting());
  }
  if (t.rootScoringPass) return Signals.stopSearch;
  if (limits.testMode) {
    if (limits.testTimed && Hooks.elapsedTime() >= limits.testTimeLimit) {
      Signals.stopSearch = Signals.stoppedByTime = true;
      return true;
    }
    return Signals.stopSearch;
  }
  if (Signals.timedMode && Hooks.elapsedTime() + t.ponderTimeCredit >= limits.hardTimeLimit) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  if (!Signals.pondering || Signals.commandText.empty()) return Signals.stopSearch;
  if (Signals.commandText != Signals.ponderMoveText) {
    Signals.stopSearch = Signals.stoppedByPonderMiss = true;
    return true;
  }
  // Ponder hit: the search goes on as the engine's own thinking.
  Signals.timedMode = true;
  Signals.pondering = false;
  Signals.ponderMoveText.clear();
  Signals.ponderDisplayMove.clear();
  t.ponderHitTime = Hooks.elapsedTime();
  t.ponderTimeCredit = t.ponderHitTime / 2;
  Hooks.postLine(PostLineMoves);
  bool soleMoveDeepEnough = t.legalRootMoves <= 1 && t.horizon > SoleMovePonderDepth;
  bool enoughAlready = t.rootMovesDone == 0 && t.horizon > limits.minTimeStopDepth && t.researchCount == 0 &&
                       t.iterationScore[t.horizon - 1] >= t.iterationScore[t.horizon - 2] - ScoreDropMargin &&
                       t.ponderTimeCredit > limits.softTimeLimit / 2;
  Hooks.restartClock();
  // The clock may have run out while the engine pondered: then the move is due at once.
  bool outOfTime = t.ponderTimeCredit >= limits.hardTimeLimit;
  if (soleMoveDeepEnough || enoughAlready || outOfTime) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  return Signals.stopSearch;
}
