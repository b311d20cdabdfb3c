// The node procedure (see search/Node.h), written as the steps a node takes in order: entry, the
// move and its legality, the root, polling, quiescence pruning and depth adjustment, keys and
// draws, path bonuses, the transposition table, the evaluation, the node type, the king chase,
// stand pat, the selective step, and the move loop with its re-search after a failed probe.
#include "search/Node.h"
#include <algorithm>
#include <cstdlib>
#include "board/Assert.h"
#include "board/Attacks.h"
#include "board/GameRecord.h"
#include "board/Geometry.h"
#include "board/Legality.h"
#include "board/MakeMove.h"
#include "board/MoveGen.h"
#include "board/PositionKey.h"
#include "board/Validate.h"
#include "eval/Evaluate.h"
#include "eval/Pawns.h"
#include "eval/Score.h"
#include "search/MoveOrder.h"
#include "search/Root.h"
#include "search/SearchControl.h"
#include "search/Selectivity.h"
#include "search/TransTable.h"

namespace {

// Tunables, by the step that uses them.
constexpr int StaticOnlyPly = 73;    // nodes this deep return their static evaluation
constexpr int FiftyMovePlies = 100;  // reversible plies that end the game as a draw
constexpr int PreMoveLimit = 127;    // pre-moves, and quiet moves deferred by the pre-search

// Quiescence: delta pruning while both sides keep more piece material than the gate.
constexpr int32_t DeltaMaterialGate = 1650;
constexpr int32_t DeltaMargin = 150;

// Extensions and the quiet-move reduction.
constexpr int CheckExtensionPathLimit = 11;     // a check extends while the path has fewer extensions
constexpr int32_t SliderEscapeMaterial = 1690;  // bishops and rooks fleeing extend up to this, queens above
constexpr int32_t EndgameMaterial = 900;        // king moves extend once a side has less piece material
constexpr int CaptureCreditPly = 3;             // the first capture this near the root earns credit
constexpr int CaptureCredit = 2;
constexpr int ExtensionCost = 2;           // credit spent on one extra ply
constexpr int ReductionPly = 6;            // quiet moves are reduced up to this ply
constexpr int32_t ReductionBonus = 10;     // path bonus against the mover of a reduced quiet move
constexpr int32_t KingZoneMaterial = 900;  // a quiet move near the enemy king is active above this

// Path bonuses, from the engine's side.
constexpr int KingChaseMinPly = 7;
constexpr int32_t KingChasePenalty = 40;
constexpr int32_t KingChaseFloor = -80;
constexpr int QueenPerpetualReversible = 4;  // reversible plies a queen perpetual needs
constexpr int32_t QueenPerpetualScore = 10;
constexpr int32_t KnightRimPenalty = 10;
constexpr int32_t BishopTakesKnightPenalty = 5;
constexpr int32_t BishopBackPenalty = 5;
constexpr int32_t EarlyQueenPenalty = 10;
constexpr int32_t QueenPawnGrabPenalty = 20;

// The selective step.
constexpr int32_t NullMoveMaterial = 310;          // the side to move needs more piece material than a bishop
constexpr int32_t NullMoveFreeMaterial = 480;      // above a rook no quiet piece move must lead into the node
constexpr int32_t NullMoveSureMaterial = 900;      // from a queen up a null move that holds cuts off at once
constexpr int32_t GeneralReductionMaterial = 900;  // both sides keep at least this much
constexpr int32_t ScoutMinGap = 2;                 // a scout needs this distance between value and bound

// Futility margins the node hands to its children, and the pre-search of quiet moves.
constexpr int32_t FutilityAtHorizon = 50;
constexpr int32_t FutilityHarmlessPath = 100;
constexpr int32_t FutilityTwoBeforeHorizon = 250;
constexpr int32_t FutilityOneBeforeHorizon = 150;
constexpr int32_t CaptureFarAbove = 600;  // a capture this far above E leaves the quiet moves no room
constexpr int PreSearchDistance = 4;      // quiet moves are pre-searched further than this from the horizon
constexpr int PreSearchReduction = 2;

enum class Stage { PreMove, GoodCapture, Killer, OtherKiller, Capture, Quiet, Deferred, CapturesOnly };

// How the selective step narrowed the node's window. A probe that does not cut off is searched
// again with the node's own depth and window, as a plain node.
enum class ProbeMode { None, Reduced, Scout };

// One node's working record, on the stack for the length of the call.
struct Node {
  Node(SearchThread &thread, const Board &parentBoard, const EvalState &parentState, int parentPly,
       int parentDepth, int movesAtParent, int32_t nodeBound, int32_t nodeInit, Move nodeMove,
       PrincipalLine &nodeLine, int32_t &nodeValue, bool &nodeLegal)
      : t(thread),
        ply(parentPly + 1),
        depth(parentDepth + 1),
        movesSearchedAtParent(movesAtParent),
        bound(nodeBound),
        init(nodeInit),
        move(nodeMove),
        line(nodeLine),
        value(nodeValue),
        legal(nodeLegal),
        board(parentBoard),
        state(parentState),
        maximising(ply % 2 == 1),
        side(maximising ? EngineSide : OpponentSide),
        moverSide(maximising ? OpponentSide : EngineSide),
        nullMove(nodeMove.kind == 0) {}

  // The call.
  SearchThread &t;  // the thread's record: its path stack, killers, counters and root state
  const int ply;
  int depth;  // changed by extensions, reductions and reduced probes
  const int movesSearchedAtParent;
  const int32_t bound;
  const int32_t init;
  const Move move;
  PrincipalLine &line;
  int32_t &value;
  bool &legal;

  // The position and the move into it.
  Board board;
  EvalState state;
  const bool maximising;  // odd plies: the engine is to move
  const int side;         // to move
  const int moverSide;    // made the move into the node
  const bool nullMove;
  uint8_t piece = 0;  // the piece that moved (0 for the null move and at the root)
  uint8_t captured = 0;
  bool irreversible = false;
  uint64_t keyAfterMove = 0;  // the parent's key updated for the move (below the root)
  bool inCheckKnown = false;
  bool inCheck = false;  // the side to move
  int32_t eval = 0;      // E, the node's static evaluation

  // What the table and the path say.
  Move hashMove = NullMove;
  int32_t probeMargin = -Infinite;
  bool kingChase = false;
  bool heldCutoff = false;  // a table cut-off that the king chase holds back

  // The node's kind and window.
  bool fullWidth = true;
  bool standPat = false;
  ProbeMode probeMode = ProbeMode::None;
  int probeReduction = 0;  // plies a reduced probe is shallower by
  int32_t savedValue = 0;  // the value before the window was narrowed

  // The move loop.
  int movesSearched = 0;
  bool searchedAnyLegal = false;
  int killerSlot = -1;  // the slot of this ply's killer being searched
  TriedMoves tried;     // empty; its unused entries need no clearing
  Move deferred[PreMoveLimit + 1];
  int deferredCount = 0;
  PrincipalLine childLine;  // written by each child before it returns a legal move's value
  int32_t childValue = 0;
};

bool IsCapture(Move move) { return move.kind == CaptureMove || move.kind == EnPassantMove; }
bool IsPawn(uint8_t piece) { return piece == EnginePawn || piece == OpponentPawn; }
bool IsKing(uint8_t piece) { return piece == EngineKing || piece == OpponentKing; }
bool IsQueen(uint8_t piece) { return piece == EngineQueen || piece == OpponentQueen; }
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
int32_t NullWindowValue(const Node &n) { return n.maximising ? n.bound - 1 : n.bound + 1; }

// Every move the generator of this side would hand out in this position (the hash move is checked
// against them, so that a key collision never plays a move from an empty square).
bool IsGeneratedMove(const Board &board, int side, Move wanted) {
  if (wanted.from < 21 || wanted.from > 98 || SideOf(board[wanted.from]) != side) return false;
  MoveList list;
  int top =
      side == EngineSide ? GenerateEngineMoves(board, true, list) : GenerateOpponentMoves(board, true, list);
  TriedMoves none{};
  CaptureList captures;
  CollectCaptures(board, list, top, side, none, captures);
  for (Move move = NextCapture(captures, CaptureMode::All, 0); move.kind != EndOfList;
       move = NextCapture(captures, CaptureMode::All, 0))
    if (move == wanted) return true;
  for (Move move = NextQuietMove(list, top, none); move.kind != EndOfList;
       move = NextQuietMove(list, top, none))
    if (move == wanted) return true;
  return false;
}

// Path bonus for the engine's development while the opening guidance is on (even plies).
int32_t OpeningGuidanceBonus(const SearchThread &t, int ply, Move move, uint8_t piece, uint8_t captured) {
  if (move.promotion != 0) return 0;
  switch (piece) {
    case EngineKnight:
      return FileOf[move.to] == 1 || FileOf[move.to] == 8 ? -KnightRimPenalty : 0;
    case EngineBishop:
      if (move.kind == CaptureMove) return captured == OpponentKnight ? -BishopTakesKnightPenalty : 0;
      if (move.kind != QuietMove) return 0;
      for (int p = ply - 3; p >= 1; p -= 2) {
        Move previous = t.stack[p].move;
        if (previous.to != move.from) continue;
        // The bishop's previous move: going on along its line, or back where it came from, wastes time.
        if (previous.kind != QuietMove) return 0;
        bool sameLine = RayDirection(move.to - move.from) == RayDirection(previous.to - previous.from);
        return sameLine || move.to == previous.from ? -BishopBackPenalty : 0;
      }
      return 0;
    case EngineQueen:
      // From d1 to the second row is the queen's own development square, not an early sortie.
      if (move.kind == QuietMove) return move.from == 24 && RankOf[move.to] == 2 ? 0 : -EarlyQueenPenalty;
      if (move.kind == CaptureMove && captured == OpponentPawn && move.to > 70) {
        int file = FileOf[move.to];
        return file == 1 || file == 2 || file == 7 || file == 8 ? -QueenPawnGrabPenalty : 0;
      }
      return 0;
    default:
      return 0;
  }
}

// Whether the side to move is in check after the node's move. Below the root's children every
// position on the path was reached by a legal move, so the move's own lines tell it; the root's
// position comes from outside and its children get the full test.
bool InCheckAfterMove(const Node &n) {
  if (n.ply <= 2) return SideToMoveInCheck(n.board, n.maximising);
  return MoveGivesCheck(n.board, n.move, n.moverSide);
}

// The key after the node's move, kept for step 10, with the table's bucket for it asked for now, so
// that memory works while the node makes its move and tests legality and depth (a hint only: a
// wrong address costs nothing but the fetch). The move changes nothing the key update reads.
void KeyAndPrefetch(Node &n) {
  n.keyAfterMove = UpdateKey(n.state.positionKey, n.move, n.piece, n.captured);
  if (n.t.ttDepthLimit > 0) TTPrefetch(n.keyAfterMove, n.ply);
}

// Steps 2 to 4: the move made on the node's board (unless the entry futility prunes a quiet move
// that cannot bring the parent's evaluation back to the bound), its legality, the reversible-move
// count and the probe flags of the path. False: the move is illegal or pruned and the parent does
// not count it.
bool MakeNodeMove(Node &n) {
  const Move move = n.move;
  n.piece = n.nullMove ? 0 : n.board[move.from];
  n.t.stack[n.ply - 1].piece = n.piece;
  switch (move.kind) {
    case CaptureMove:
      n.captured = n.board[move.to];
      n.irreversible = IsPawn(n.captured) || IsPawn(n.piece);
      break;
    case EnPassantMove:
      n.captured = n.maximising ? EnginePawn : OpponentPawn;
      n.irreversible = true;
      break;
    case QuietMove:
      n.irreversible = IsPawn(n.piece);
      break;
    default:
      break;
  }
  if (n.nullMove) {
    n.board[EnPassantSquare] = 0;
    KeyAndPrefetch(n);
  } else {
    int32_t e = n.state.totalScore, m = n.state.futilityMargin;
    bool futile = move.kind == QuietMove && n.movesSearchedAtParent > 0 && m < NoFutilityMargin &&
                  (n.maximising ? e - m >= n.bound : e + m <= n.bound);
    if (!futile) KeyAndPrefetch(n);
    MakeMove(move, n.board, n.state);
    if (futile) {
      n.inCheck = InCheckAfterMove(n);
      n.inCheckKnown = true;
      bool promotesToQueen = move.promotion == EngineQueen || move.promotion == OpponentQueen;
      if (!n.inCheck && !promotesToQueen && !(IsPawn(n.piece) && AdvancedPawnTest(n.board, move.to))) {
        n.legal = false;
        return false;
      }
      KeyAndPrefetch(n);
    }
  }

  if (!IsLegalAfterMove(n.board, move, n.moverSide, n.t.stack[n.ply - 1].inCheck)) {
    n.legal = false;
    return false;
  }

  KRELIN_ASSERT(BoardIsOk(n.board));
  bool reversibleQuiet = (move.kind == QuietMove && !n.irreversible) || move.kind == CastlingMove;
  n.state.reversibleCount = reversibleQuiet ? n.state.reversibleCount + 1 : 0;
  n.t.stack[n.ply].probe = n.t.stack[n.ply - 2].probe;
  return true;
}

// Step 9, beyond the horizon: delta pruning, and a capture by a more valuable piece that can be
// taken back (away from the previous move's square). True: the node returns the bound.
bool QuiescencePrunes(const Node &n) {
  if (n.inCheck || !IsCapture(n.move) || n.move.promotion != 0) return false;
  int32_t e = n.state.totalScore;  // still the parent's evaluation
  int32_t takenValue = PieceValue[n.captured];
  if (n.state.enginePieceMaterial > DeltaMaterialGate && n.state.opponentPieceMaterial > DeltaMaterialGate) {
    if (n.maximising ? e - takenValue >= n.bound + DeltaMargin : e + takenValue <= n.bound - DeltaMargin)
      return true;
  }
  Move previous = n.ply >= 2 ? n.t.stack[n.ply - 2].move : NullMove;
  return n.depth > n.t.horizon + 1 && n.move.kind == CaptureMove && !n.t.stack[n.ply - 1].inCheck &&
         n.move.to != previous.to && PieceWeight[n.captured] < PieceWeight[n.piece] &&
         IsAttacked(n.board, n.move.to, n.side);
}

// Step 9, at the horizon and below it: the check extension at the horizon, and below it the
// extensions and reductions of AdjustDepth.
void AdjustNodeDepth(Node &n) {
  if (n.depth == n.t.horizon) {
    if (n.inCheck) n.depth -= 1;
  } else if (n.state.extensionCount < n.t.extensionLimit && n.depth > 1) {
    int32_t bonusChange = 0;
    n.depth = AdjustDepth(n.t, n.board, n.state, n.ply, n.depth, n.move, n.piece, n.captured, n.inCheck,
                          bonusChange);
    n.state.positionalAdjust += bonusChange;
  }
}

// Step 10: the key, and the draws of a path of reversible moves: a repetition inside the search,
// the fifty-move rule, and a repetition of a game position near the root. True: a draw.
bool KeyAndDraws(Node &n) {
  n.t.stack[n.ply].board = &n.board;
  if (n.depth > n.t.ttDepthLimit) return false;
  n.state.positionKey = n.ply == 1 ? ComputeKey(n.board) : n.keyAfterMove;
  n.t.stack[n.ply].key = n.state.positionKey;
  KRELIN_ASSERT(EvalStateIsOk(n.board, n.state));
  int reversible = n.state.reversibleCount;
  if (reversible <= 0) return false;
  for (int i = 4; i <= reversible && n.ply - i >= 1; i += 2)
    if (n.t.stack[n.ply - i].key == n.state.positionKey &&
        SameStateBytes(*n.t.stack[n.ply - i].board, n.board))
      return true;
  if (reversible != n.ply - 1) return false;  // the path holds an irreversible move
  if (n.t.root->fiftyMoveCount + reversible > FiftyMovePlies) return true;
  uint32_t low = uint32_t(n.state.positionKey), high = uint32_t(n.state.positionKey >> 32);
  uint8_t marker = n.maximising ? 1 : 0;
  const GameHistoryRecord &history = *n.t.root->history;
  return (n.ply == 2 && IsTwofold(history, n.board, marker, low, high)) ||
         (n.ply >= 3 && n.ply <= 6 && IsRepeated(history, n.board, marker, low, high));
}

// Step 11, after the engine's moves: the opening guidance and the king chase (the engine's king
// driven by checks for three moves in a row).
void ApplyPathBonuses(Node &n) {
  if (n.ply % 2 != 0 || n.nullMove || !n.t.selectiveMode) return;
  if (n.t.root->openingGuidance)
    n.state.positionalAdjust += OpeningGuidanceBonus(n.t, n.ply, n.move, n.piece, n.captured);
  int p = n.ply;
  if (p > KingChaseMinPly && n.piece == EngineKing && n.t.stack[p - 1].inCheck && n.t.stack[p - 3].inCheck &&
      n.t.stack[p - 5].inCheck && n.t.stack[p - 3].piece == EngineKing &&
      n.t.stack[p - 5].piece == EngineKing) {
    n.kingChase = true;
    if (n.state.positionalAdjust > KingChaseFloor)
      n.state.positionalAdjust = std::max(n.state.positionalAdjust - KingChasePenalty, KingChaseFloor);
  }
}

// Step 12: the hash move and the depth margin. True: the table proves a cut-off.
bool ProbeTable(Node &n) {
  if (n.depth > n.t.ttDepthLimit) {
    n.state.positionKey = 0;
    return false;
  }
  TTProbe(n.board, n.state.positionKey, n.ply, n.t.horizon - n.depth, n.bound, n.hashMove, n.probeMargin);
  if (!n.hashMove.IsNull() && !IsGeneratedMove(n.board, n.side, n.hashMove)) {
    n.hashMove = NullMove;
    n.probeMargin = -Infinite;
  }
  if (n.ply <= QuietSeenPly && n.hashMove.kind == QuietMove)
    n.t.quietSeen[n.hashMove.from][n.hashMove.to] = true;
  if (n.hashMove.IsNull() || n.probeMargin < 0) return false;
  if (!n.kingChase) return true;
  n.heldCutoff = true;
  return false;
}

// Step 13: the static evaluation E (skipped for the null move, and kept from the parent deep in a
// null-move subtree), with the root moves' own terms. True: the book decided the node's value.
bool EvaluateNode(Node &n) {
  if (n.nullMove && n.ply >= 2) return false;
  if (n.state.lazyReuse > 0 && n.depth >= n.t.lazyEvalDepth) {
    n.state.runnerCount = 0;
  } else if (n.ply >= 2) {
    if (n.irreversible) UpdatePawnBits(n.move, n.captured, n.state, n.board);
    bool kingSafety = n.ply <= 4 || n.depth < n.t.horizon;
    Evaluate(n.board, n.state, n.maximising, n.move, n.irreversible, kingSafety, n.t.context);
  } else {
    BuildPawnBits(n.state, n.board);
    Evaluate(n.board, n.state, true, n.move, true, true, n.t.context);
  }
  if (n.ply == 2 && RootMoveTerms(n.t, n.move, n.piece, n.inCheck, n.state, n.value)) return true;
  SumScore(n.board, n.state, n.t.context, n.depth, n.ply);
  if (n.ply == 1 && n.t.rootScoringPass) n.t.rootEvaluation = n.state.totalScore;
  return false;
}

// Step 14: whether the node searches every move (full width) and whether it may stand pat.
void ChooseNodeType(Node &n) {
  if (n.depth > n.t.horizon) {
    if (!n.t.selectiveMode) {
      n.fullWidth = false, n.standPat = true;
    } else if (n.inCheck) {
      n.fullWidth = true, n.standPat = false;
    } else if (n.depth <= n.t.horizon + 2 && n.t.stack[n.ply - 1].inCheck &&
               FlightSquaresAtMost(n.board, n.moverSide, 2, false)) {
      n.fullWidth = true, n.standPat = true;  // the side that escaped a check is still in a mating net
    } else {
      n.fullWidth = false, n.standPat = true;
    }
  } else if (n.depth == n.t.horizon) {
    if (n.t.selectiveMode && !n.nullMove) {
      n.fullWidth = true, n.standPat = false;
    } else if (n.t.selectiveMode) {
      n.fullWidth = KingAttackCountReaches4(n.board, KingSquareOf(n.board, n.moverSide), n.side);
      n.standPat = true;
    } else {
      n.fullWidth = false, n.standPat = true;
    }
  } else {
    n.fullWidth = true, n.standPat = false;
  }
  n.movesSearched = n.standPat ? 1 : 0;
}

// Step 15: a king chased by the opponent's queen is a perpetual; a chase without it lets a held
// table cut-off through. True: the node returns.
bool KingChaseEnds(Node &n) {
  if (!n.kingChase) return false;
  bool queenPerpetual =
      n.state.reversibleCount >= QueenPerpetualReversible && n.value > QueenPerpetualScore &&
      n.depth >= n.t.horizon - 1 && n.t.stack[n.ply - 2].piece == OpponentQueen &&
      n.t.stack[n.ply - 4].piece == OpponentQueen && n.t.stack[n.ply - 6].piece == OpponentQueen;
  if (queenPerpetual) {
    n.value = QueenPerpetualScore;
    return QueenPerpetualScore <= n.bound;
  }
  if (!n.heldCutoff) return false;
  n.value = n.bound;
  return true;
}

// A null-window scout of a non-selective node: the window closes on the bound.
void TryScout(Node &n) {
  if (n.depth < n.t.horizon - 1 && n.movesSearchedAtParent > 0 &&
      std::abs(n.value - n.bound) >= ScoutMinGap) {
    n.probeMode = ProbeMode::Scout;
    n.savedValue = n.value;
    n.value = NullWindowValue(n);
    n.t.stack[n.ply].probe.scout = true;
  }
}

// The null move may be tried: the side to move has more than a minor piece, and with no more than
// a rook the move into the node was a quiet piece move made out of no check.
bool NullMoveAllowed(const Node &n, int32_t sideMaterial) {
  bool quietPieceMove =
      n.move.kind == QuietMove && !IsKing(n.piece) && !IsPawn(n.piece) && !n.t.stack[n.ply - 1].inCheck;
  return sideMaterial > NullMoveMaterial && (sideMaterial > NullMoveFreeMaterial || quietPieceMove);
}

// The side to move passes, searched one to three plies shallower against a null window at the
// bound. True when it still reaches the bound (false on a stop).
bool NullMoveHolds(Node &n) {
  int nullDepth = n.depth + (n.depth < n.t.horizonLess2 && n.move.kind == QuietMove ? 2 : 1);
  if (nullDepth < n.t.horizonLess4) nullDepth += 1;
  EvalState nullState = n.state;
  nullState.lazyReuse += 1;
  PrincipalLine nullLine;
  int32_t nullValue = 0;
  Search(n.t, n.board, n.ply, nullDepth, n.standPat ? 1 : 0, NullWindowValue(n), n.bound, nullState, NullMove,
         nullLine, nullValue, n.legal);
  if (SearchStopped()) return false;
  bool held = n.legal && ReachesBound(n.maximising, nullValue, n.bound);
  n.legal = true;
  return held;
}

// Step 18: static cut-offs, the null move, the reduced probes and the null-window scout. True: the
// node returns (with the bound, or on a stop). Otherwise the window and depth may be narrowed.
bool SelectiveStep(Node &n) {
  n.probeMode = ProbeMode::None;
  n.savedValue = n.value;
  if (!n.fullWidth || n.depth > n.t.horizon || n.nullMove || n.ply <= 1 || std::abs(n.bound) >= Infinite)
    return false;
  if (!n.t.selectiveMode) {
    TryScout(n);
    return false;
  }
  const bool atBound = ReachesBound(n.maximising, n.eval, n.bound) && !n.inCheck;
  const int32_t sideMaterial =
      n.side == EngineSide ? n.state.enginePieceMaterial : n.state.opponentPieceMaterial;
  const bool parentInProbe = n.t.stack[n.ply - 1].probe.Any();
  const bool outsideWindow = !n.maximising && n.t.aspirationHigh < n.bound;
  const int reduction = n.depth < n.t.horizonLess2 ? 2 : 1;
  auto cutOff = [&n]() {
    n.value = n.bound;
    return true;
  };

  // Near the horizon: static cut-offs only.
  if (n.depth > n.t.horizonLess2) {
    int32_t d = n.maximising ? n.eval - n.bound : n.bound - n.eval;
    if (atBound && (parentInProbe || outsideWindow || HangingTest(n.board, n.side, d))) return cutOff();
    return false;
  }

  if (outsideWindow && atBound) return cutOff();
  if (parentInProbe) {
    n.probeMode = ProbeMode::Reduced, n.probeReduction = reduction;
    if (n.probeMargin >= -reduction || atBound) return cutOff();
  } else if (atBound && NullMoveAllowed(n, sideMaterial)) {
    bool held = NullMoveHolds(n);
    if (SearchStopped()) return true;
    if (held) {
      if (sideMaterial >= NullMoveSureMaterial) return cutOff();
      n.probeMode = ProbeMode::Reduced, n.probeReduction = reduction;
      if (n.probeMargin >= -reduction) return cutOff();
    }
  }
  // The general reduction, once per side on a path, while both sides keep their heavy pieces.
  if (n.probeMode == ProbeMode::None && !n.t.stack[n.ply].probe.generalReduction && n.state.lazyReuse == 0 &&
      n.state.enginePieceMaterial >= GeneralReductionMaterial &&
      n.state.opponentPieceMaterial >= GeneralReductionMaterial) {
    n.probeMode = ProbeMode::Reduced, n.probeReduction = 1;
    if (n.probeMargin >= -1) return cutOff();
    n.t.stack[n.ply].probe.generalReduction = true;
  }
  if (n.probeMode == ProbeMode::Reduced) {
    n.t.stack[n.ply].probe.reducedProbe = true;
    n.savedValue = n.value;
    n.value = NullWindowValue(n);
    n.depth += n.probeReduction;
  } else {
    TryScout(n);
  }
  return false;
}

// The futility margin the node hands to its children (NoFutilityMargin: none).
void SetFutilityMargin(Node &n) {
  if (!n.fullWidth || n.ply <= 1) return;
  int32_t m = NoFutilityMargin;
  if (n.depth >= n.t.horizon || n.t.stack[n.ply].probe.Any())
    m = FutilityAtHorizon;
  else if (n.maximising && n.depth >= n.t.horizon - n.state.harmlessQuietCount)
    m = FutilityHarmlessPath;
  else if (n.depth == n.t.horizonLess2)
    m = FutilityTwoBeforeHorizon;
  else if (n.depth > n.t.horizonLess2)
    m = FutilityOneBeforeHorizon;
  n.state.futilityMargin = m;
}

// The node-level futility test after a stage's move, inside a probe of this side: the evaluation
// plus the margin cannot reach the node's value.
bool NodeIsFutile(const Node &n) {
  if (n.movesSearched <= 0 || !n.t.stack[n.ply].probe.Any() || n.probeMode != ProbeMode::None) return false;
  int32_t m = n.state.futilityMargin;
  if (m >= NoFutilityMargin) return false;
  return n.maximising ? n.eval + m <= n.value : n.eval - m >= n.value;
}

// Step 19: one child searched and its result taken. True when the node must return now (a cut-off
// or a stop).
bool TryMove(Node &n, Move m, Stage stage) {
  if (n.ply == 1 && !RootMoveAllowed(n.t, m)) return false;  // as if it were not there
  Search(n.t, n.board, n.ply, n.depth, n.movesSearched, n.value, n.bound, n.state, m, n.childLine,
         n.childValue, n.legal);
  if (SearchStopped()) return true;  // an unfinished child proves nothing
  if (!n.legal) {
    n.legal = true;
    return false;
  }
  int32_t score = n.ply == 1 ? RootMoveScore(n.t, m, n.childValue) : n.childValue;
  bool first = !n.searchedAnyLegal;
  n.searchedAnyLegal = true;
  bool improved = Improves(n.maximising, score, n.value), cutoff = false;
  if (improved) {
    n.value = score;
    cutoff = ReachesBound(n.maximising, n.value, n.bound);
  }
  if (improved || first) ExtendLine(n.line, m, n.childLine, n.ply);
  if (n.ply == 1) RootMoveSearched(n.t, m, score, improved, n.childLine, n.line, n.value, cutoff);
  n.movesSearched++;
  if (!cutoff) return SearchStopped();

  // Good and other captures teach the killers nothing, nor does the strongest killer finding itself.
  bool teachesKillers = stage == Stage::PreMove || stage == Stage::Quiet || stage == Stage::Deferred ||
                        stage == Stage::OtherKiller ||
                        (stage == Stage::Killer && n.killerSlot != KillerSlots - 1);
  Move best = n.line.move[1];
  if (teachesKillers && best.kind == QuietMove && n.ply <= LinePlyLimit)
    UpdateKillers(n.t, n.ply, best, n.board[best.from]);
  // In the scoring pass the recaptures beyond the horizon prove nothing worth keeping.
  bool store = !(stage == Stage::CapturesOnly && n.t.rootScoringPass && n.depth > n.t.horizon);
  if (store && n.depth <= n.t.ttDepthLimit)
    TTStore(n.t, n.board, n.state.positionKey, n.ply, n.value, n.t.horizon - n.depth, n.line);
  return true;
}

// The pre-moves, the last searched first: at the root the best root moves, elsewhere the hash
// move, or the move of the previous iteration's line while the path still follows it.
int LoadPreMoves(Node &n, Move *preMoves) {
  if (n.ply == 1) return n.t.rootScoringPass ? 0 : LoadRootPreMoves(n.t, preMoves);
  int count = 0;
  if (!n.hashMove.IsNull()) {
    preMoves[count++] = n.hashMove;
  } else if (n.ply <= LinePlyLimit && !n.t.followLine.move[1].IsNull() &&
             !n.t.followLine.move[n.ply].IsNull()) {
    bool samePath = true, nullOnPath = false;
    for (int k = 1; k < n.ply; k++) {
      if (!(n.t.stack[k].move == n.t.followLine.move[k])) samePath = false;
      if (n.t.stack[k].move.kind == 0) nullOnPath = true;
    }
    if (samePath)
      preMoves[count++] = n.t.followLine.move[n.ply];
    else if (!nullOnPath)
      ClearLine(n.t.followLine);  // the search has left the line for good
  }
  if (!n.fullWidth && count == 1 && !IsCapture(preMoves[0])) count = 0;
  return count;
}

// A captures-only node: every capture, or in the scoring pass beyond the horizon only recaptures
// on the square of the previous move; inside a probe at the horizon only good captures after the first move.
bool SearchCapturesOnly(Node &n, CaptureList &captures) {
  const int previousTo = n.t.stack[n.ply - 1].move.to;
  bool recapturesOnly = n.t.rootScoringPass && n.depth > n.t.horizon;
  CaptureMode mode = recapturesOnly ? CaptureMode::RecapturesOnly : CaptureMode::All;
  for (Move m = NextCapture(captures, mode, previousTo); m.kind != EndOfList;
       m = NextCapture(captures, mode, previousTo)) {
    if (recapturesOnly && m.kind == EnPassantMove) continue;
    if (n.depth <= n.t.horizon && m.kind != EnPassantMove && n.t.stack[n.ply].probe.Any() &&
        n.movesSearched > 0 && !IsGoodCapture(n.board, m, n.side))
      continue;
    if (TryMove(n, m, Stage::CapturesOnly)) return true;
  }
  return true;
}

// The killers of this ply, then those of two plies back, strongest slot first.
bool SearchKillers(Node &n) {
  if (n.ply < 2 || n.ply > LinePlyLimit) return false;
  for (int killerPly : {n.ply, n.ply - 2}) {
    if (killerPly != n.ply && n.ply < 3) break;
    for (int slot = KillerSlots - 1; slot >= 0; slot--) {
      Move m = PickKiller(n.t, n.board, killerPly, slot, n.tried);
      if (m.IsNull()) continue;
      if (n.inCheck && !PassesEvasionFilter(n.t, n.board, n.ply, m)) continue;
      n.killerSlot = slot;
      if (TryMove(n, m, killerPly == n.ply ? Stage::Killer : Stage::OtherKiller) || NodeIsFutile(n))
        return true;
    }
  }
  return false;
}

// The quiet moves. Far from the horizon each is first searched two plies shallower: one that does
// not improve the node's value there is deferred, and the deferred ones come last, the last first.
bool SearchQuietMoves(Node &n, MoveList &list, int top) {
  bool preSearch =
      n.depth < n.t.horizon - PreSearchDistance && !n.t.stack[n.ply - 1].probe.Any() && n.ply > 1;
  for (Move m = NextQuietMove(list, top, n.tried); m.kind != EndOfList;
       m = NextQuietMove(list, top, n.tried)) {
    if (n.inCheck && !PassesEvasionFilter(n.t, n.board, n.ply, m)) continue;
    if (preSearch && n.deferredCount < PreMoveLimit) {
      PrincipalLine reducedLine;
      int32_t reducedValue = 0;
      Search(n.t, n.board, n.ply, n.depth + PreSearchReduction, n.movesSearched, n.value, n.bound, n.state, m,
             reducedLine, reducedValue, n.legal);
      if (SearchStopped()) return true;
      if (!n.legal) {
        n.legal = true;
        continue;
      }
      if (!Improves(n.maximising, reducedValue, n.value)) {
        n.deferred[n.deferredCount++] = m;
        continue;
      }
    }
    if (TryMove(n, m, Stage::Quiet) || NodeIsFutile(n)) return true;
  }
  while (n.deferredCount > 0)
    if (TryMove(n, n.deferred[--n.deferredCount], Stage::Deferred) || NodeIsFutile(n)) return true;
  return false;
}

// Step 19: the move loop in its stages. True: the node is done (a cut-off, a stop, or a
// captures-only node at the end of its list).
bool SearchStages(Node &n) {
  Move preMoves[PreMoveLimit + 1];
  for (int count = LoadPreMoves(n, preMoves); count > 0;) {
    Move m = preMoves[--count];
    if (WasTried(n.tried, m)) continue;
    AddTriedMove(n.tried, m);
    if (TryMove(n, m, Stage::PreMove)) return true;
  }

  MoveList list;
  CaptureList captures;
  if (!n.fullWidth) {
    CollectCapturesOnly(n.board, n.side, n.tried, captures);  // the same captures, no list needed
    return SearchCapturesOnly(n, captures);
  }
  int top = n.side == EngineSide ? GenerateEngineMoves(n.board, true, list)
                                 : GenerateOpponentMoves(n.board, true, list);
  CollectCaptures(n.board, list, top, n.side, n.tried, captures);

  const int previousTo = n.t.stack[n.ply - 1].move.to;
  for (Move m = NextGoodCapture(captures, previousTo, n.board, n.side); m.kind != EndOfList;
       m = NextGoodCapture(captures, previousTo, n.board, n.side))
    if (TryMove(n, m, Stage::GoodCapture)) return true;
  if (NodeIsFutile(n)) return true;
  // After the captures: a capture far above the evaluation leaves no room for quiet moves.
  if (n.maximising && n.state.futilityMargin > FutilityTwoBeforeHorizon && n.depth >= n.t.lateDepth &&
      n.ply > 2 && n.line.move[1].kind == CaptureMove && n.value > n.eval + CaptureFarAbove)
    n.state.futilityMargin = 0;

  if (SearchKillers(n)) return true;

  RewindCaptures(captures);
  for (Move m = NextCapture(captures, CaptureMode::All, previousTo); m.kind != EndOfList;
       m = NextCapture(captures, CaptureMode::All, previousTo))
    if (TryMove(n, m, Stage::Capture) || NodeIsFutile(n)) return true;

  return SearchQuietMoves(n, list, top);
}

int32_t MatedScore(bool maximising, int ply) { return maximising ? ply - MateBase : MateBase + 1 - ply; }

// Steps 19 and 20: the move loop; a probe that did not cut off is searched again with the node's
// own depth and window.
void SearchMoves(Node &n) {
  for (;;) {
    SetFutilityMargin(n);
    if (SearchStages(n)) return;

    if (n.movesSearched == 0) {  // no legal move: mate or stalemate
      n.value = n.inCheck ? MatedScore(n.maximising, n.ply) : 0;
      return;
    }
    if (n.probeMode == ProbeMode::None) {
      if (n.value == n.init) return;  // a fail low proves nothing worth keeping
      Move best = n.line.move[1];
      if (best.kind == QuietMove && n.ply <= LinePlyLimit)
        UpdateKillers(n.t, n.ply, best, n.board[best.from]);
      if (n.depth <= n.t.ttDepthLimit)
        TTStore(n.t, n.board, n.state.positionKey, n.ply, n.value, n.t.horizon - n.depth, n.line);
      return;
    }

    if (n.probeMode == ProbeMode::Reduced) n.depth -= n.probeReduction;
    n.t.stack[n.ply].probe = n.t.stack[n.ply - 2].probe;
    n.probeMode = ProbeMode::None;
    n.value = n.savedValue;
    n.movesSearched = 0;
    n.hashMove = n.line.move[1];
    n.legal = true;
    ClearLine(n.line);
    n.tried = TriedMoves{};
    n.deferredCount = 0;
    n.searchedAnyLegal = false;
  }
}

// The extension amount X of a real move at depth < horizon: 2 for most evasions and forcing
// checks, 1 for captures near the root or of the previous move's piece and for the moves by piece
// that the credit allows, else 0.
int ExtensionAmount(SearchThread &t, Board &board, const EvalState &state, int ply, int depth, Move move,
                    uint8_t piece, uint8_t captured, bool inCheck) {
  int moverSide = MoverSide(ply);
  bool moverEngine = moverSide == EngineSide;
  Move previous = ply >= 2 ? t.stack[ply - 2].move : NullMove;
  bool capture = IsCapture(move);
  int moverMaterial = moverEngine ? state.enginePieceMaterial : state.opponentPieceMaterial;
  int enemyKing = KingSquareOf(board, moverEngine ? OpponentSide : EngineSide);
  int ownKing = KingSquareOf(board, moverSide);
  int x = 0;
  if (t.stack[ply - 1].inCheck) {
    bool checkByCapture = previous.kind == CaptureMove || previous.kind == EnPassantMove;
    x = !capture || ply < 3 || checkByCapture ? 2 : 1;
  } else if (inCheck && state.extensionCount < CheckExtensionPathLimit) {
    if (capture && !IsPawn(captured))
      x = 2;
    else if (capture && IsPawn(captured) && ply > 2 && move.to == previous.to)
      x = 2;  // a pawn taken back on the square the previous move went to
    else if (IsQueen(board[move.to]) && Distance[move.to][enemyKing] <= 1)
      x = 2;  // the piece on the target square: a pawn just promoted to a queen is a queen here
    else if (FlightSquaresAtMost(board, moverEngine ? OpponentSide : EngineSide, 1, true))
      x = 2;
  } else if (state.extensionCredit >= 0 || depth <= t.horizonLess2) {
    if (capture && (!IsPawn(captured) || ply <= 2 || move.to == previous.to)) {
      x = 1;
    } else {
      bool quietPlain = move.kind == QuietMove && move.promotion == 0;
      switch (piece) {
        case EngineKnight:
        case OpponentKnight:
          if (capture) {
            x = 1;
          } else if (quietPlain) {
            t.escapeMark = EscapeTest(board, move, moverSide);
            if (t.escapeMark) x = 1;
          }
          break;
        case EngineBishop:
        case OpponentBishop:
        case EngineRook:
        case OpponentRook:
          if (quietPlain && moverMaterial <= SliderEscapeMaterial) {
            t.escapeMark = EscapeTest(board, move, moverSide);
            if (t.escapeMark) x = 1;
          }
          break;
        case EngineQueen:
        case OpponentQueen:
          if (moverMaterial > SliderEscapeMaterial && Distance[move.to][ZoneCentre(enemyKing)] <= 2) x = 1;
          break;
        case EngineKing:
          if (state.enginePieceMaterial == 0 && state.opponentPieceMaterial == 0)
            x = 1;
          else if ((state.enginePieceMaterial < EndgameMaterial ||
                    state.opponentPieceMaterial < EndgameMaterial) &&
                   Distance[ZoneCentre(ownKing)][ZoneCentre(enemyKing)] <= 2)
            x = 1;
          break;
        case OpponentKing:
          if (state.enginePieceMaterial == 0 && state.opponentPieceMaterial == 0) x = 1;
          break;
        case EnginePawn:
        case OpponentPawn:
          if (move.kind == EnPassantMove || PassedPawnTest(board, move.to, moverSide)) x = 1;
          break;
        default:
          break;
      }
    }
  }
  return x;
}

}  // namespace

// The depth adjustment of a real move at depth < horizon: the extension amount X, the credit and
// the quiet-move reduction. Returns the new depth.
int AdjustDepth(SearchThread &t, Board &board, EvalState &state, int ply, int depth, Move move, uint8_t piece,
                uint8_t captured, bool inCheck, int32_t &pathBonusChange) {
  int moverSide = MoverSide(ply);
  bool moverEngine = moverSide == EngineSide;
  bool capture = IsCapture(move);
  int moverMaterial = moverEngine ? state.enginePieceMaterial : state.opponentPieceMaterial;
  int enemyKing = KingSquareOf(board, moverEngine ? OpponentSide : EngineSide);
  int x = ExtensionAmount(t, board, state, ply, depth, move, piece, captured, inCheck);
  // Capture credit, once per path near the root.
  if (ply <= CaptureCreditPly && capture && state.captureCredit == 0) {
    state.captureCredit = 1;
    state.extensionCredit += CaptureCredit;
  }
  if (x > 0) {
    state.extensionCredit += x;
    if (state.extensionCredit > 0) {
      depth -= 1;
      state.extensionCredit -= ExtensionCost;
      state.extensionCount += 1;
    }
    return depth;
  }
  if (ply <= ReductionPly && depth < t.horizonLess2 && move.kind == QuietMove && move.promotion == 0 &&
      !inCheck) {
    if (!t.quietSeen[move.from][move.to]) {
      depth += 1;
      pathBonusChange += moverEngine ? -ReductionBonus : ReductionBonus;
    }
    int sideToMove = SideToMove(ply);
    bool active = (!IsQueen(piece) && !IsKing(piece) && ThreatensHeavyPiece(board, move)) ||
                  (t.escapeMark && !IsKing(piece) && EscapeTest(board, move, moverSide)) ||
                  (!IsKing(piece) && !IsPawn(piece) && IsAttacked(board, move.to, sideToMove)) ||
                  (moverMaterial > KingZoneMaterial && KingZoneTest(board, move.to, enemyKing));
    if (!active) state.harmlessQuietCount += 1;
  }
  return depth;
}

void Search(SearchThread &t, const Board &parentBoard, int ply, int depth, int movesSearchedAtParent,
            int32_t bound, int32_t init, const EvalState &parentState, Move move, PrincipalLine &line,
            int32_t &value, bool &legal) {
  // Step 1. Entry: the move joins the path and the node is counted
  value = init;
  if (SearchStopped()) return;
  t.stack[ply].move = move;
  t.nodeCount++;
  Node n(t, parentBoard, parentState, ply, depth, movesSearchedAtParent, bound, init, move, line, value,
         legal);
  if (n.ply > t.selectiveDepth) t.selectiveDepth = n.ply;

  // Steps 2-4. The move on the node's own board, its legality, the path counters
  if (n.ply >= 2) {
    if (!MakeNodeMove(n)) return;
  } else {
    n.t.stack[n.ply].probe = ProbeFlags{};
  }

  // Step 5. The root
  if (n.ply == 1) {
    if (!SetUpRoot(n.t, n.board, n.state, move)) {
      legal = false;
      return;
    }
    n.inCheck = n.t.rootInCheck;
    n.inCheckKnown = true;
  }

  // Step 6. Polling
  if (PollAndTestTime(n.t)) return;

  // Step 7. In check
  if (!n.inCheckKnown) n.inCheck = !n.nullMove && InCheckAfterMove(n);

  // Step 8. The node's value and line start afresh (the child line needs no clearing: a child
  // whose line is read back has cleared it here itself)
  value = init;
  ClearLine(line);

  // Step 9. Quiescence pruning beyond the horizon; extensions and reductions below it
  if (n.depth > n.t.horizon) {
    if (QuiescencePrunes(n)) {
      value = bound;
      return;
    }
  } else if (n.t.selectiveMode && !n.nullMove && n.ply >= 2) {
    AdjustNodeDepth(n);
  }

  // Step 10. The key, and draws on the path
  if (KeyAndDraws(n)) {
    value = 0;
    return;
  }

  // Step 11. Path bonuses and the king chase
  ApplyPathBonuses(n);

  // Step 12. Transposition table
  if (ProbeTable(n)) {
    value = bound;
    return;
  }

  // Step 13. Evaluation
  if (EvaluateNode(n)) return;
  n.eval = n.state.totalScore;

  // Step 14. Node type: full width and stand pat
  ChooseNodeType(n);

  // Step 15. King chase at the node
  if (KingChaseEnds(n)) return;

  // Step 16. Deep plies: the static evaluation only
  if (n.ply >= StaticOnlyPly) {
    if (Improves(n.maximising, n.eval, value)) value = n.eval;
    return;
  }

  // Step 17. Stand pat
  if ((!n.fullWidth || n.standPat) && Improves(n.maximising, n.eval, value)) {
    value = n.eval;
    if (ReachesBound(n.maximising, n.eval, bound)) return;
  }

  // Step 18. Selective step
  n.t.stack[n.ply].inCheck = n.inCheck;
  if (SelectiveStep(n)) return;

  // Steps 19-20. Move loop, and the re-search of a probe that did not cut off
  SearchMoves(n);
}
