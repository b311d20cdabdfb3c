// The node procedure: one call is one node. It makes the move on its own copy of the board and
// EvalState, decides whether it searches full width or captures only, searches its children in
// stages and returns a value, a principal line and the legality of its move to the parent.
#include <cstdlib>
#include <cstring>

#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/MoveGen.h"
#include "board/MoveText.h"
#include "board/PositionKey.h"
#include "book/Book.h"
#include "eval/Evaluate.h"
#include "eval/Pawns.h"
#include "eval/Score.h"
#include "search/MoveOrder.h"
#include "search/Search.h"
#include "search/SearchControl.h"
#include "search/Selectivity.h"
#include "search/TransTable.h"

namespace {

constexpr int PreMoveLimit = 127;

enum class Stage { PreMove, GoodCapture, Killer, OtherKiller, Capture, Quiet, Deferred, CapturesOnly };

bool IsCapture(Move move) { return move.kind == CaptureMove || move.kind == EnPassantMove; }
bool IsPawn(uint8_t piece) { return piece == EnginePawn || piece == OpponentPawn; }
bool IsKing(uint8_t piece) { return piece == EngineKing || piece == OpponentKing; }
int KingSquareOf(const Board &board, int side) {
  return board[side == EngineSide ? EngineKingSquare : OpponentKingSquare];
}

// The mover's side at a node of this ply: the engine moves into even plies, the opponent into odd.
int MoverSide(int ply) { return ply % 2 == 0 ? EngineSide : OpponentSide; }
int SideToMove(int ply) { return ply % 2 == 1 ? EngineSide : OpponentSide; }

bool Improves(bool maximising, int32_t candidate, int32_t value) {
  return maximising ? candidate > value : candidate < value;
}
bool ReachesBound(bool maximising, int32_t value, int32_t bound) {
  return maximising ? value >= bound : value <= bound;
}

// The node's line := move followed by the child's line (the continuation only while ply < 45).
void ExtendLine(PrincipalLine &line, Move move, const PrincipalLine &child, int ply) {
  line.move[1] = move;
  // Whole-record copies: lines are cleared and extended at every node.
  if (ply < 45)
    std::memcpy(&line.move[2], &child.move[1], sizeof(Move) * (LineLength - 2));
  else
    std::memset(static_cast<void *>(&line.move[2]), 0, sizeof(Move) * (LineLength - 2));
}

// Copied from an empty line: a memset of this size compiles to a string instruction that is slow
// to start, and lines are cleared twice per node.
static const PrincipalLine EmptyLine{};
void ClearLine(PrincipalLine &line) { std::memcpy(&line, &EmptyLine, sizeof line); }

// Every move the generator of this side would hand out in this position (the hash move is checked
// against them, so that a key collision never plays a move from an empty square).
bool IsGeneratedMove(const Board &board, int side, Move wanted) {
  if (wanted.from < 21 || wanted.from > 98 || SideOf(board[wanted.from]) != side) return false;
  MoveList list;
  int top = side == EngineSide ? GenerateEngineMoves(board, true, list) : GenerateOpponentMoves(board, true, list);
  TriedMoves none{};
  CaptureList captures;
  CollectCaptures(board, list, top, side, none, captures);
  for (Move move = NextCapture(captures, CaptureMode::All, 0); move.kind != EndOfList;
       move = NextCapture(captures, CaptureMode::All, 0))
    if (move == wanted) return true;
  for (Move move = NextQuietMove(list, top, none); move.kind != EndOfList; move = NextQuietMove(list, top, none))
    if (move == wanted) return true;
  return false;
}

// Polling every 32768 nodes: input, test-mode time, the clock and the ponder hit or miss. True
// when the search must stop.
bool PollAndTestTime() {
  Tree.pollCounter++;
  if (Tree.pollCounter % PollInterval != 0) return false;
  // Every line that has arrived is handled now: a move, its clock lines and a command come
  // together, and a ponder hit must not wait for further polls.
  constexpr int LinesPerPoll = 8;
  if (!Signals.stopSearch && !Tree.rootScoringPass && Hooks.inputWaiting()) {
    int lines = 0;
    do Hooks.pollInput();
    while (++lines < LinesPerPoll && !Signals.stopSearch && Signals.commandText.empty() && Hooks.inputWaiting());
  }
  if (Tree.rootScoringPass) return Signals.stopSearch;
  if (Limits.testMode) {
    if (Limits.testTimed && Hooks.elapsedTime() >= Limits.testTimeLimit) {
      Signals.stopSearch = Signals.stoppedByTime = true;
      return true;
    }
    return Signals.stopSearch;
  }
  if (Signals.timedMode && Hooks.elapsedTime() + Tree.ponderTimeCredit >= Limits.hardTimeLimit) {
    Signals.stopSearch = Signals.stoppedByTime = true;
    return true;
  }
  if (Signals.pondering && !Signals.commandText.empty()) {
    if (Signals.commandText == Signals.ponderMoveText) {
      // Ponder hit: the search goes on as the engine's own thinking.
      Signals.timedMode = true;
      Signals.pondering = false;
      Signals.ponderMoveText.clear();
      Signals.ponderDisplayMove.clear();
      Tree.ponderHitTime = Hooks.elapsedTime();
      Tree.ponderTimeCredit = Tree.ponderHitTime / 2;
      Hooks.postLine(20);
      bool soleMoveDeepEnough = Tree.legalRootMoves <= 1 && Tree.horizon > 6;
      bool enoughAlready = Tree.rootMovesDone == 0 && Tree.horizon > Limits.minTimeStopDepth &&
                           Tree.researchCount == 0 &&
                           Tree.iterationScore[Tree.horizon - 1] >= Tree.iterationScore[Tree.horizon - 2] - 20 &&
                           Tree.ponderTimeCredit > Limits.softTimeLimit / 2;
      Hooks.restartClock();
      // The clock may have run out while the engine pondered: then the move is due at once.
      bool outOfTime = Tree.ponderTimeCredit >= Limits.hardTimeLimit;
      if (soleMoveDeepEnough || enoughAlready || outOfTime) {
        Signals.stopSearch = Signals.stoppedByTime = true;
        return true;
      }
    } else {
      Signals.stopSearch = Signals.stoppedByPonderMiss = true;
      return true;
    }
  }
  return Signals.stopSearch;
}

}  // namespace

// The full attack test on the king of the side to move.
static bool SideToMoveInCheck(const Board &board, int ply) {
  int side = SideToMove(ply);
  int other = side == EngineSide ? OpponentSide : EngineSide;
  return IsAttacked(board, KingSquareOf(board, side), other);
}

// The opponent's move into the root: its king must not be attacked, castling not through check.
static bool RootMoveIsLegal(const Board &board, Move move) {
  return IsLegalAfterMove(board, move, OpponentSide, move.kind != 0);
}

// Path bonus for the engine's development while the opening guidance is on (even plies).
static int32_t OpeningGuidanceBonus(const Board &board, int ply, Move move, uint8_t piece, uint8_t captured) {
  if (move.promotion != 0) return 0;
  switch (piece) {
    case EngineKnight:
      return FileOf[move.to] == 1 || FileOf[move.to] == 8 ? -10 : 0;
    case EngineBishop:
      if (move.kind == CaptureMove) return captured == OpponentKnight ? -5 : 0;
      if (move.kind != QuietMove) return 0;
      for (int p = ply - 3; p >= 1; p -= 2) {
        Move previous = Tree.plyMove[p];
        if (previous.to != move.from) continue;
        // The bishop's previous move: going on along its line, or back where it came from, wastes time.
        if (previous.kind != QuietMove) return 0;
        bool sameLine = RayDirection(move.to - move.from) == RayDirection(previous.to - previous.from);
        return sameLine || move.to == previous.from ? -5 : 0;
      }
      return 0;
    case EngineQueen:
      if (move.kind == QuietMove) return move.from == 24 && RankOf[move.to] == 2 ? 0 : -10;
      if (move.kind == CaptureMove && captured == OpponentPawn && move.to > 70) {
        int file = FileOf[move.to];
        return file == 1 || file == 2 || file == 7 || file == 8 ? -20 : 0;
      }
      return 0;
    default:
      (void)board;
      return 0;
  }
}

// The depth adjustment of a real move at depth < horizon: the extension amount X, the credit and
// the quiet-move reduction. Returns the new depth.
static int AdjustDepth(Board &board, EvalState &state, int ply, int depth, Move move, uint8_t piece,
                       uint8_t captured, bool inCheck, int32_t &pathBonusChange) {
  int moverSide = MoverSide(ply);
  bool moverEngine = moverSide == EngineSide;
  Move previous = ply >= 2 ? Tree.plyMove[ply - 2] : NullMove;
  bool moverWasInCheck = Tree.plyInCheck[ply - 1] == 1;
  bool capture = IsCapture(move);
  int moverMaterial = moverEngine ? state.enginePieceMaterial : state.opponentPieceMaterial;
  int enemyKing = KingSquareOf(board, moverEngine ? OpponentSide : EngineSide);
  int ownKing = KingSquareOf(board, moverSide);
  int x = 0;
  if (moverWasInCheck) {
    bool checkByCapture = previous.kind == CaptureMove || previous.kind == EnPassantMove;
    x = !capture || ply < 3 || checkByCapture ? 2 : 1;
  } else if (inCheck && state.extensionCount < 11) {
    if (capture && !IsPawn(captured))
      x = 2;
    else if (capture && IsPawn(captured) && ply > 2 && move.to == previous.to)
      x = 2;  // a pawn taken back on the square the previous move went to
    else if ((piece == EngineQueen || piece == OpponentQueen) && Distance[move.to][enemyKing] <= 1)
      x = 2;
    else if (FlightSquaresAtMost(board, moverEngine ? OpponentSide : EngineSide, 1, true))
      x = 2;
  } else if (state.extensionCredit >= 0 || depth <= Tree.horizonLess2) {
    if (capture && (!IsPawn(captured) || ply <= 2 || move.to == previous.to)) {
      x = 1;
    } else {
      bool quietPlain = move.kind == QuietMove && move.promotion == 0;
      switch (piece) {
        case EngineKnight: case OpponentKnight:
          if (capture) {
            x = 1;
          } else if (quietPlain) {
            Tree.escapeMark = EscapeTest(board, move, moverSide);
            if (Tree.escapeMark) x = 1;
          }
          break;
        case EngineBishop: case OpponentBishop: case EngineRook: case OpponentRook:
          if (quietPlain && moverMaterial <= 1690) {
            Tree.escapeMark = EscapeTest(board, move, moverSide);
            if (Tree.escapeMark) x = 1;
          }
          break;
        case EngineQueen: case OpponentQueen:
          if (moverMaterial > 1690 && Distance[move.to][ZoneCentre(enemyKing)] <= 2) x = 1;
          break;
        case EngineKing:
          if (state.enginePieceMaterial == 0 && state.opponentPieceMaterial == 0)
            x = 1;
          else if ((state.enginePieceMaterial < 900 || state.opponentPieceMaterial < 900) &&
                   Distance[ZoneCentre(ownKing)][ZoneCentre(enemyKing)] <= 2)
            x = 1;
          break;
        case OpponentKing:
          if (state.enginePieceMaterial == 0 && state.opponentPieceMaterial == 0) x = 1;
          break;
        case EnginePawn: case OpponentPawn:
          if (move.kind == EnPassantMove || PassedPawnTest(board, move.to)) x = 1;
          break;
        default:
          break;
      }
    }
  }
  // Capture credit, once per path near the root.
  if (ply <= 3 && capture && state.captureCredit == 0) {
    state.captureCredit = 1;
    state.extensionCredit += 2;
  }
  if (x > 0) {
    state.extensionCredit += x;
    if (state.extensionCredit > 0) {
      depth -= 1;
      state.extensionCredit -= 2;
      state.extensionCount += 1;
    }
    return depth;
  }
  if (ply <= 6 && depth < Tree.horizonLess2 && move.kind == QuietMove && move.promotion == 0 && !inCheck) {
    if (!Tree.quietSeen[move.from][move.to]) {
      depth += 1;
      pathBonusChange += moverEngine ? -10 : 10;
    }
    int sideToMove = SideToMove(ply);
    bool active =
        (!(piece == EngineQueen || piece == OpponentQueen) && !IsKing(piece) && ThreatensHeavyPiece(board, move)) ||
        (Tree.escapeMark && !IsKing(piece) && EscapeTest(board, move, moverSide)) ||
        (!IsKing(piece) && !IsPawn(piece) && IsAttacked(board, move.to, sideToMove)) ||
        (moverMaterial > 900 && KingZoneTest(board, move.to, enemyKing));
    if (!active) state.harmlessQuietCount += 1;
  }
  return depth;
}

void Search(const Board &parentBoard, int ply, int depth, int movesSearchedAtParent, int32_t bound, int32_t init,
            const EvalState &parentState, Move move, PrincipalLine &line, int32_t &value, bool &legal) {
  // Entry
  value = init;
  if (Signals.stopSearch) return;
  Tree.plyMove[ply] = move;
  ply += 1;
  depth += 1;
  Tree.nodeCount++;
  const bool maximising = ply % 2 == 1;
  const int side = SideToMove(ply);
  const int moverSide = MoverSide(ply);
  Board board = parentBoard;
  EvalState state = parentState;
  int inCheck = -1;
  uint8_t piece = 0, captured = 0;
  bool irreversible = false;
  const bool nullMove = move.kind == 0;

  // Making the move
  if (ply >= 2) {
    piece = board[move.from];
    Tree.plyPiece[ply - 1] = piece;
    switch (move.kind) {
      case CaptureMove:
        captured = board[move.to];
        irreversible = IsPawn(captured) || IsPawn(piece);
        break;
      case EnPassantMove:
        captured = ply % 2 == 1 ? EnginePawn : OpponentPawn;
        irreversible = true;
        break;
      case 0:
        piece = 0;
        Tree.plyPiece[ply - 1] = 0;
        board[EnPassantSquare] = 0;
        break;
      case QuietMove:
        irreversible = IsPawn(piece);
        break;
      default:
        break;
    }
    if (!nullMove) {
      if (move.kind == QuietMove && movesSearchedAtParent > 0 && state.futilityMargin < NoFutilityMargin) {
        // Entry futility: a quiet move that cannot bring the parent's evaluation back to the bound.
        int32_t e = state.totalScore, m = state.futilityMargin;
        if (maximising ? e - m >= bound : e + m <= bound) {
          MakeMove(move, board, state);
          inCheck = SideToMoveInCheck(board, ply) ? 1 : 0;
          bool promotesToQueen = move.promotion == EngineQueen || move.promotion == OpponentQueen;
          if (!inCheck && !promotesToQueen && !(IsPawn(piece) && AdvancedPawnTest(board, move.to))) {
            legal = false;
            return;
          }
        } else {
          MakeMove(move, board, state);
        }
      } else {
        MakeMove(move, board, state);
      }
    }

    // The table's bucket for this node is asked for now, so that memory works while the node
    // tests legality and depth (a hint only: a wrong address costs nothing but the fetch).
    if (Tree.ttDepthLimit > 0) TTPrefetch(UpdateKey(state.positionKey, move, piece, captured), ply);

    // Legality of the move just made
    bool moverWasInCheck = Tree.plyInCheck[ply - 1] == 1;
    if (!IsLegalAfterMove(board, move, moverSide, moverWasInCheck)) {
      legal = false;
      return;
    }

    // Reversible moves on the path
    bool reversibleQuiet = (move.kind == QuietMove && !irreversible) || move.kind == CastlingMove;
    state.reversibleCount = reversibleQuiet ? state.reversibleCount + 1 : 0;
    Tree.probeCounter[ply] = Tree.probeCounter[ply - 2];
  } else {
    Tree.probeCounter[ply] = 0;
  }

  // Root set-up
  if (ply == 1) {
    Tree.rootMovesDone = 0;
    state.extensionCredit = RootExtensionCredit;
    Tree.extensionLimit = 65 - Tree.horizon;
    Tree.lateDepth = std::max(Tree.horizon - 6, 3);
    Tree.horizonLess4 = Tree.horizonLess2 - 2;
    bool bothHavePieces = state.enginePieceMaterial > 960 && state.opponentPieceMaterial > 960;
    if (Tree.rootScoringPass) Tree.rootBothHavePieces = bothHavePieces;
    Tree.lazyEvalDepth =
        Limits.fullEvalToggle || !Tree.rootBothHavePieces ? 1000 : std::max(Tree.horizon, 6);
    Tree.context.lazyEvalDepth = Tree.lazyEvalDepth;
    inCheck = IsAttacked(board, board[EngineKingSquare], OpponentSide) ? 1 : 0;
    Tree.rootInCheck = inCheck == 1;
    if (Tree.rootScoringPass) {
      if (!RootMoveIsLegal(board, move)) {
        legal = false;
        return;
      }
      Game.currentBoard = board;
      if (IsCapture(move) || move.promotion != 0) Tree.drawishCap = 0;
      Tree.context.drawishCap = Tree.drawishCap;
      SetRootValues(Tree.context, board, state);
      Tree.rootMoveCount = 0;
      // The opponent's move joins the game history; a ponder miss restores what it was.
      Tree.savedFiftyMoveCount = Game.fiftyMoveCount;
      Tree.savedHistoryCount = Game.gameHistory.count;
      Game.gameHistory.entry[0] = Game.gameHistory.entry[1];
      uint8_t rootMover = move.kind == 0 ? 0 : move.promotion != 0 ? OpponentPawn : board[move.to];
      CountFiftyMoveRule(rootMover, move.kind);
      uint64_t key = ComputeKey(board);
      HistoryPush(board, 1, uint32_t(key), uint32_t(key >> 32));
      for (auto &row : Tree.quietSeen)
        for (bool &seen : row) seen = false;
      ClearBookRecord();
      Tree.bookMatchCount = 0;
      Move bookMove = Books.useBook ? BookProbe(Limits.gameRecordCount, uint64_t(Hooks.clockDays() * 86400000.0))
                                    : NullMove;
      if (bookMove.kind != 0) {
        BookRecord.status = BookMovesFound;
      } else {
        Move mateMove;
        if (TTFindMateMove(board, key, mateMove)) {
          BookRecord.slot[0] = mateMove;
          BookRecord.status = BookStoredMate;
        }
      }
    }
  }

  // Polling
  if (PollAndTestTime()) return;

  // In check?
  if (inCheck < 0) inCheck = nullMove ? 0 : (SideToMoveInCheck(board, ply) ? 1 : 0);

  value = init;
  ClearLine(line);
  PrincipalLine childLine;
  ClearLine(childLine);
  int32_t childValue = 0;

  // Quiescence pruning and depth adjustments
  int32_t parentE = state.totalScore;
  if (depth > Tree.horizon) {
    if (!inCheck && IsCapture(move) && move.promotion == 0) {
      int32_t takenValue = PieceValue[captured];
      if (state.enginePieceMaterial > 1650 && state.opponentPieceMaterial > 1650) {
        if (maximising ? parentE - takenValue >= bound + 150 : parentE + takenValue <= bound - 150) {
          value = bound;
          return;
        }
      }
      bool moverWasInCheck = Tree.plyInCheck[ply - 1] == 1;
      Move previous = ply >= 2 ? Tree.plyMove[ply - 2] : NullMove;
      if (depth > Tree.horizon + 1 && move.kind == CaptureMove && !moverWasInCheck && move.to != previous.to &&
          PieceWeight[captured] < PieceWeight[piece] && IsAttacked(board, move.to, side)) {
        value = bound;
        return;
      }
    }
  } else if (Tree.selectiveMode && !nullMove && ply >= 2) {
    if (depth == Tree.horizon) {
      if (inCheck) depth -= 1;
    } else if (state.extensionCount < Tree.extensionLimit && depth > 1) {
      int32_t bonusChange = 0;
      depth = AdjustDepth(board, state, ply, depth, move, piece, captured, inCheck == 1, bonusChange);
      state.positionalAdjust += bonusChange;
    }
  }

  // Keys and draws
  Tree.plyBoard[ply] = &board;
  if (depth <= Tree.ttDepthLimit) {
    state.positionKey = ply == 1 ? ComputeKey(board) : UpdateKey(state.positionKey, move, piece, captured);
    Tree.plyKey[ply] = state.positionKey;
    int reversible = state.reversibleCount;
    if (reversible > 0) {
      for (int i = 4; i <= reversible && ply - i >= 1; i += 2) {
        if (Tree.plyKey[ply - i] == state.positionKey && SameStateBytes(*Tree.plyBoard[ply - i], board)) {
          value = 0;
          return;
        }
      }
      if (reversible == ply - 1) {
        if (Game.fiftyMoveCount + reversible > 100) {
          value = 0;
          return;
        }
        uint32_t low = uint32_t(state.positionKey), high = uint32_t(state.positionKey >> 32);
        uint8_t marker = maximising ? 1 : 0;
        if ((ply == 2 && IsTwofold(board, marker, low, high)) ||
            (ply >= 3 && ply <= 6 && IsRepeated(board, marker, low, high))) {
          value = 0;
          return;
        }
      }
    }
  }

  // Path bonus terms and the king chase (the engine has just moved)
  bool kingChase = false;
  if (ply % 2 == 0 && !nullMove && Tree.selectiveMode) {
    if (Limits.openingGuidance) state.positionalAdjust += OpeningGuidanceBonus(board, ply, move, piece, captured);
    if (ply > 7 && piece == EngineKing && Tree.plyInCheck[ply - 1] == 1 && Tree.plyInCheck[ply - 3] == 1 &&
        Tree.plyInCheck[ply - 5] == 1 && Tree.plyPiece[ply - 3] == EngineKing &&
        Tree.plyPiece[ply - 5] == EngineKing) {
      kingChase = true;
      if (state.positionalAdjust > -80) state.positionalAdjust = std::max(state.positionalAdjust - 40, -80);
    }
  }

  // Transposition table
  Move hashMove = NullMove;
  int32_t probeMargin = -Infinite;
  bool ttCutoff = false;
  if (depth <= Tree.ttDepthLimit) {
    TTProbe(board, state.positionKey, ply, Tree.horizon - depth, bound, hashMove, probeMargin);
    if (!hashMove.IsNull() && !IsGeneratedMove(board, side, hashMove)) {
      hashMove = NullMove;
      probeMargin = -Infinite;
    }
    if (ply <= 5 && hashMove.kind == QuietMove) Tree.quietSeen[hashMove.from][hashMove.to] = true;
    if (!hashMove.IsNull() && probeMargin >= 0) {
      if (!kingChase) {
        value = bound;
        return;
      }
      ttCutoff = true;
    }
  } else {
    state.positionKey = 0;
  }

  // Evaluation
  if (!(nullMove && ply >= 2)) {
    if (state.lazyReuse > 0 && depth >= Tree.lazyEvalDepth) {
      state.runnerCount = 0;
    } else if (ply >= 2) {
      if (irreversible) UpdatePawnBits(move, captured, state, board);
      Evaluate(board, state, maximising, move, irreversible, ply <= 4 || depth < Tree.horizon, Tree.context);
    } else {
      BuildPawnBits(state, board);
      Evaluate(board, state, true, move, true, true, Tree.context);
    }
    if (ply == 2) {
      // Root moves: the book's preferences and restrictions, and the early king step.
      if (BookRecord.status == BookMovesFound && !BookRecord.noBonus && move == BookRecord.slot[0])
        state.positionalAdjust += 20;
      if (BookRecord.status == BookMovesFound) {
        bool candidate = IsBookCandidate(move);
        if (Tree.rootScoringPass) {
          if (candidate) Tree.bookMatchCount++;
        } else if (Tree.bookMatchCount > 0 && !candidate) {
          value = -Infinite;
          return;
        }
      }
      if (BookRecord.status == BookForcedReply && CompactMoveText(move) != BookRecord.forcedReply) {
        value = 0;
        return;
      }
      if (Tree.selectiveMode && piece == EngineKing && move.kind == QuietMove && !inCheck &&
          state.opponentPieceMaterial > 1650 &&
          ((move.to >= 21 && move.to <= 28) || move.to == 32 || move.to == 37))
        state.positionalAdjust -= 3;
    }
    SumScore(board, state, Tree.context, depth, ply);
    if (ply == 1 && Tree.rootScoringPass) Tree.rootEvaluation = state.totalScore;
  }
  const int32_t e = state.totalScore;

  // Node type: full width and stand pat
  bool fullWidth, standPat;
  if (depth > Tree.horizon) {
    if (!Tree.selectiveMode) {
      fullWidth = false, standPat = true;
    } else if (inCheck) {
      fullWidth = true, standPat = false;
    } else if (depth <= Tree.horizon + 2 && Tree.plyInCheck[ply - 1] == 1 &&
               FlightSquaresAtMost(board, moverSide, 2, false)) {
      fullWidth = true, standPat = true;
    } else {
      fullWidth = false, standPat = true;
    }
  } else if (depth == Tree.horizon) {
    if (Tree.selectiveMode && !nullMove) {
      fullWidth = true, standPat = false;
    } else if (Tree.selectiveMode) {
      fullWidth = true;
      standPat = true;
      if (!KingAttackCountReaches4(board, KingSquareOf(board, moverSide), side)) fullWidth = false;
    } else {
      fullWidth = false, standPat = true;
    }
  } else {
    fullWidth = true, standPat = false;
  }
  int movesSearched = standPat ? 1 : 0;

  // King chase at the node
  if (kingChase) {
    bool queenPerpetual = state.reversibleCount >= 4 && value > 10 && depth >= Tree.horizon - 1 &&
                          Tree.plyPiece[ply - 2] == OpponentQueen && Tree.plyPiece[ply - 4] == OpponentQueen &&
                          Tree.plyPiece[ply - 6] == OpponentQueen;
    if (queenPerpetual) {
      value = 10;
      if (10 <= bound) return;
    } else if (ttCutoff) {
      value = bound;
      return;
    }
  }

  // Deep plies: the static evaluation only
  if (ply >= 73) {
    if (Improves(maximising, e, value)) value = e;
    return;
  }

  // Stand pat
  if (!fullWidth || standPat) {
    if (Improves(maximising, e, value)) {
      value = e;
      if (ReachesBound(maximising, e, bound)) return;
    }
  }

  // Selective step: null move, static cut-offs, reduced probes and the null-window scout
  Tree.plyInCheck[ply] = int8_t(inCheck);
  int probeMode = 0;
  int32_t savedValue = value;
  auto scout = [&]() {
    if (depth < Tree.horizon - 1 && movesSearchedAtParent > 0 && std::abs(value - bound) >= 2) {
      probeMode = 10;
      savedValue = value;
      value = maximising ? bound - 1 : bound + 1;
      Tree.probeCounter[ply] += 1;
    }
  };
  if (fullWidth && depth <= Tree.horizon && !nullMove && ply > 1 && std::abs(bound) < Infinite) {
    bool atBound = ReachesBound(maximising, e, bound);
    int sideMaterial = side == EngineSide ? state.enginePieceMaterial : state.opponentPieceMaterial;
    if (!Tree.selectiveMode) {
      scout();
    } else if (depth > Tree.horizonLess2) {
      if (atBound && !inCheck &&
          (Tree.probeCounter[ply - 1] > 0 || (!maximising && Tree.aspirationHigh < bound) ||
           HangingTest(board, side, maximising ? e - bound : bound - e))) {
        value = bound;
        return;
      }
    } else {
      if (!maximising && Tree.aspirationHigh < bound && atBound && !inCheck) {
        value = bound;
        return;
      }
      if (Tree.probeCounter[ply - 1] > 0) {
        probeMode = depth < Tree.horizonLess2 ? 2 : 1;
        if (probeMargin >= -probeMode || (atBound && !inCheck)) {
          value = bound;
          return;
        }
      } else if (atBound && !inCheck) {
        bool quietPieceMove = move.kind == QuietMove && !IsKing(piece) && !IsPawn(piece) && Tree.plyInCheck[ply - 1] != 1;
        if (sideMaterial > 310 && (sideMaterial > 480 || quietPieceMove)) {
          int nullDepth = depth + (depth < Tree.horizonLess2 && move.kind == QuietMove ? 2 : 1);
          if (nullDepth < Tree.horizonLess4) nullDepth += 1;
          EvalState nullState = state;
          nullState.lazyReuse += 1;
          PrincipalLine nullLine;
          int32_t nullValue = 0;
          Search(board, ply, nullDepth, standPat ? 1 : 0, maximising ? bound - 1 : bound + 1, bound, nullState,
                 NullMove, nullLine, nullValue, legal);
          if (Signals.stopSearch) return;
          bool held = legal && ReachesBound(maximising, nullValue, bound);
          legal = true;
          if (held) {
            if (sideMaterial >= 900) {
              value = bound;
              return;
            }
            probeMode = depth < Tree.horizonLess2 ? 2 : 1;
            if (probeMargin >= -probeMode) {
              value = bound;
              return;
            }
          }
        }
      }
      if (probeMode == 0 && Tree.probeCounter[ply] < 10000 && state.lazyReuse == 0 &&
          state.enginePieceMaterial >= 900 && state.opponentPieceMaterial >= 900) {
        probeMode = 1;
        if (probeMargin >= -1) {
          value = bound;
          return;
        }
        Tree.probeCounter[ply] += 10000;
      }
      if (probeMode > 0) {
        Tree.probeCounter[ply] += 100;
        savedValue = value;
        value = maximising ? bound - 1 : bound + 1;
        depth += probeMode;
      } else {
        scout();
      }
    }
  }

  // Move loop
  const Move previous = Tree.plyMove[ply - 1];
  const int previousTo = previous.to;
  TriedMoves tried;  // empty; its unused entries need no clearing
  Move preMoves[PreMoveLimit + 1];
  int preMoveCount = 0;
  Move deferred[PreMoveLimit + 1];
  int deferredCount = 0;
  bool searchedAnyLegal = false;

  // Runs one child; true when the node must return now (a cut-off or a stop).
  auto tryMove = [&](Move m, Stage stage, int childDepth, bool &wasLegal) -> bool {
    Search(board, ply, childDepth, movesSearched, value, bound, state, m, childLine, childValue, legal);
    if (Signals.stopSearch) return true;  // an unfinished child proves nothing
    if (!legal) {
      legal = true;
      wasLegal = false;
      return false;
    }
    wasLegal = true;
    int32_t score = childValue;
    bool first = !searchedAnyLegal;
    searchedAnyLegal = true;
    bool takeLine = false, cutoff = false;
    if (ply == 1 && Tree.rootScoringPass) {
      // The forced reply, or the book's or the table's move, is taken as it stands.
      if (!BookRecord.forcedReply.empty() && BookRecord.forcedReply == CompactMoveText(m)) {
        score = Infinite;
        BookRecord.chosen = true;
        BookRecord.status = BookForcedReply;
      } else if (m == BookRecord.slot[0] && Tree.rootBest < Infinite && score < Infinite &&
                 !(BookRecord.status == BookMovesFound && !BookRecord.noBonus)) {
        score = Infinite - 1;
        BookRecord.chosen = true;
      }
    }
    if (Improves(maximising, score, value)) {
      value = score;
      cutoff = ReachesBound(maximising, value, bound);
      takeLine = true;
    }
    if (takeLine || first) ExtendLine(line, m, childLine, ply);
    if (ply == 1) {
      if (Tree.rootScoringPass) {
        if (Tree.rootMoveCount < RootMoveLimit) {
          Tree.rootMoveCount++;
          Tree.rootMoveTable[Tree.rootMoveCount] = RootMove{m, score - Tree.rootEvaluation};
        }
        if (score > Tree.rootBest) {
          Tree.rootBest = score;
          ExtendLine(Tree.bestLine, m, childLine, ply);
        }
        if (!cutoff) value = -Infinite;
      } else if (takeLine || Tree.rootMovesDone == 0) {
        Tree.rootBest = score;
        if (Tree.rootMovesDone == 0 && Tree.researchCount > 0 && Tree.failScore >= MateThreshold &&
            Tree.rootBest < Tree.failScore) {
          value = Tree.rootBest = Tree.failScore;
          line = Tree.failLine;
          cutoff = true;
        }
        Tree.bestLine = line;
        if (Tree.horizon >= 4 || Tree.rootBest >= MateThreshold) Hooks.postLine(20);
        if (Limits.testMode && Tree.horizon > 4) Hooks.searchLogLine(Tree.rootMovesDone);
      }
      bool anotherBefore = Tree.rootMovesDone > 0;
      Tree.rootMovesDone++;
      if (Signals.timedMode && !Limits.testMode && Tree.horizon >= 6 && Tree.horizon >= Limits.minTimeStopDepth &&
          anotherBefore && Tree.researchCount == 0 && Tree.iterationScore[Tree.horizon - 1] - 15 < Tree.rootBest &&
          Hooks.elapsedTime() + Tree.ponderTimeCredit >= Limits.softTimeLimit) {
        Signals.stopSearch = Signals.stoppedByTime = true;
      }
    }
    movesSearched++;
    if (cutoff) {
      bool killerStage = stage == Stage::PreMove || stage == Stage::Quiet || stage == Stage::Deferred ||
                         stage == Stage::OtherKiller ||
                         (stage == Stage::Killer && !(m == Tree.killerTable[ply][3].move));
      if (killerStage && line.move[1].kind == QuietMove && ply <= 45)
        UpdateKillers(ply, line.move[1], board[line.move[1].from]);
      bool store = !(stage == Stage::CapturesOnly && Tree.rootScoringPass && depth > Tree.horizon);
      if (store && depth <= Tree.ttDepthLimit) TTStore(board, state.positionKey, ply, value, Tree.horizon - depth, line);
      return true;
    }
    return Signals.stopSearch;
  };

  // The node-level futility test after a stage's move.
  auto futile = [&]() {
    if (movesSearched <= 0 || Tree.probeCounter[ply] <= 0 || probeMode > 0) return false;
    int32_t m = state.futilityMargin;
    if (m >= NoFutilityMargin) return false;
    return maximising ? e + m <= value : e - m >= value;
  };

  auto setFutilityMargin = [&]() {
    if (!fullWidth || ply <= 1) return;
    int32_t m = NoFutilityMargin;
    if (depth >= Tree.horizon || Tree.probeCounter[ply] > 0)
      m = 50;
    else if (maximising && depth >= Tree.horizon - state.harmlessQuietCount)
      m = 100;
    else if (depth == Tree.horizonLess2)
      m = 250;
    else if (depth > Tree.horizonLess2)
      m = 150;
    state.futilityMargin = m;
  };

  for (;;) {  // runs again after a probe that did not cut off
    setFutilityMargin();

    // Pre-moves
    preMoveCount = 0;
    if (ply == 1 && !Tree.rootScoringPass) {
      Move follow = Tree.followLine.move[1];
      int n = Tree.rootMoveCount;
      if (!follow.IsNull()) {
        for (int i = 1; i < n; i++) {
          if (Tree.rootMoveTable[i].move == follow) {
            RootMove moved = Tree.rootMoveTable[i];
            for (int k = i; k < n; k++) Tree.rootMoveTable[k] = Tree.rootMoveTable[k + 1];
            Tree.rootMoveTable[n] = moved;
            break;
          }
        }
      }
      for (int i = std::max(1, n - 19); i <= n; i++) preMoves[preMoveCount++] = Tree.rootMoveTable[i].move;
    } else if (ply > 1) {
      if (!hashMove.IsNull()) {
        preMoves[preMoveCount++] = hashMove;
      } else if (ply <= 45 && !Tree.followLine.move[1].IsNull() && !Tree.followLine.move[ply].IsNull()) {
        bool samePath = true, nullOnPath = false;
        for (int k = 1; k < ply; k++) {
          if (!(Tree.plyMove[k] == Tree.followLine.move[k])) samePath = false;
          if (Tree.plyMove[k].kind == 0) nullOnPath = true;
        }
        if (samePath)
          preMoves[preMoveCount++] = Tree.followLine.move[ply];
        else if (!nullOnPath)
          ClearLine(Tree.followLine);
      }
      if (!fullWidth && preMoveCount == 1 && !IsCapture(preMoves[0])) preMoveCount = 0;
    }
    while (preMoveCount > 0) {
      Move m = preMoves[--preMoveCount];
      if (WasTried(tried, m)) continue;
      AddTriedMove(tried, m);
      bool wasLegal;
      if (tryMove(m, Stage::PreMove, depth, wasLegal)) return;
    }

    MoveList list;
    CaptureList captures;
    int top = 0;
    if (fullWidth) {
      top = side == EngineSide ? GenerateEngineMoves(board, true, list)
                               : GenerateOpponentMoves(board, true, list);
      CollectCaptures(board, list, top, side, tried, captures);
    } else {
      CollectCapturesOnly(board, side, tried, captures);  // the same captures, no list needed
    }

    if (!fullWidth) {
      // Captures only
      bool recapturesOnly = Tree.rootScoringPass && depth > Tree.horizon;
      CaptureMode mode = recapturesOnly ? CaptureMode::RecapturesOnly : CaptureMode::All;
      for (Move m = NextCapture(captures, mode, previousTo); m.kind != EndOfList;
           m = NextCapture(captures, mode, previousTo)) {
        if (recapturesOnly && m.kind == EnPassantMove) continue;
        if (depth <= Tree.horizon && m.kind != EnPassantMove && Tree.probeCounter[ply] > 0 && movesSearched > 0 &&
            !IsGoodCapture(board, m, side))
          continue;
        bool wasLegal;
        if (tryMove(m, Stage::CapturesOnly, depth, wasLegal)) return;
      }
      return;
    }

    // Good captures
    for (Move m = NextGoodCapture(captures, previousTo, board, side); m.kind != EndOfList;
         m = NextGoodCapture(captures, previousTo, board, side)) {
      bool wasLegal;
      if (tryMove(m, Stage::GoodCapture, depth, wasLegal)) return;
    }
    if (futile()) return;
    // After the captures: a capture far above the evaluation leaves no room for quiet moves.
    if (maximising && state.futilityMargin > 250 && depth >= Tree.lateDepth && ply > 2 &&
        line.move[1].kind == CaptureMove && value > e + 600)
      state.futilityMargin = 0;

    // Killers of this ply, then of two plies back
    if (ply >= 2 && ply <= 45) {
      for (int pass = 0; pass < 2; pass++) {
        int killerPly = pass == 0 ? ply : ply - 2;
        if (pass == 1 && ply < 3) break;
        for (int slot = 3; slot >= 0; slot--) {
          Move m = PickKiller(board, killerPly, slot, tried);
          if (m.IsNull()) continue;
          if (inCheck && !PassesEvasionFilter(board, ply, m)) continue;
          bool wasLegal;
          if (tryMove(m, pass == 0 ? Stage::Killer : Stage::OtherKiller, depth, wasLegal)) return;
          if (futile()) return;
        }
      }
    }

    // The remaining captures
    RewindCaptures(captures);
    for (Move m = NextCapture(captures, CaptureMode::All, previousTo); m.kind != EndOfList;
         m = NextCapture(captures, CaptureMode::All, previousTo)) {
      bool wasLegal;
      if (tryMove(m, Stage::Capture, depth, wasLegal)) return;
      if (futile()) return;
    }

    // Quiet moves, with a reduced pre-search far from the horizon
    bool preSearch = depth < Tree.horizon - 4 && Tree.probeCounter[ply - 1] <= 0 && ply > 1;
    for (Move m = NextQuietMove(list, top, tried); m.kind != EndOfList; m = NextQuietMove(list, top, tried)) {
      if (inCheck && !PassesEvasionFilter(board, ply, m)) continue;
      if (preSearch && deferredCount <= 126) {
        PrincipalLine reducedLine;
        int32_t reducedValue = 0;
        Search(board, ply, depth + 2, movesSearched, value, bound, state, m, reducedLine, reducedValue, legal);
        if (Signals.stopSearch) return;
        if (!legal) {
          legal = true;
          continue;
        }
        if (!Improves(maximising, reducedValue, value)) {
          deferred[deferredCount++] = m;
          continue;
        }
      }
      bool wasLegal;
      if (tryMove(m, Stage::Quiet, depth, wasLegal)) return;
      if (futile()) return;
    }
    while (deferredCount > 0) {
      Move m = deferred[--deferredCount];
      bool wasLegal;
      if (tryMove(m, Stage::Deferred, depth, wasLegal)) return;
      if (futile()) return;
    }

    // After the loop
    if (movesSearched == 0) {
      if (inCheck)
        value = maximising ? ply - 32001 : 32002 - ply;
      else
        value = 0;
      return;
    }
    if (probeMode <= 0) {
      if (value == init) return;
      if (line.move[1].kind == QuietMove && ply <= 45) UpdateKillers(ply, line.move[1], board[line.move[1].from]);
      if (depth <= Tree.ttDepthLimit) TTStore(board, state.positionKey, ply, value, Tree.horizon - depth, line);
      return;
    }
    // A probe that did not cut off: search again at full depth with the full window.
    if (probeMode < 10) depth -= probeMode;
    Tree.probeCounter[ply] = Tree.probeCounter[ply - 2];
    probeMode = -probeMode;
    value = savedValue;
    movesSearched = 0;
    hashMove = line.move[1];
    legal = true;
    ClearLine(line);
    ClearLine(childLine);
    tried = TriedMoves{};
    deferredCount = 0;
    searchedAnyLegal = false;
  }
}
