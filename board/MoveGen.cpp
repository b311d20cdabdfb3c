#include "board/MoveGen.h"

#include <initializer_list>

#include "board/Attacks.h"
#include "board/Geometry.h"
#include "board/MakeMove.h"
#include "board/SquareScan.h"

// ---------------------------------------------------------------------------------------------
// Generation.

namespace {

// The top index and the list being filled; every append checks the last slot.
struct ListWriter {
  MoveList &list;
  int top;

  void Append(Move move) {
    if (top < MoveListSize - 1) list.slot[++top] = move;
  }
  // A knight's or king's eight table entries, null ones included.
  void AppendSteps(const Move (&steps)[8]) {
    if (top + 8 <= MoveListSize - 1) {
      for (int k = 0; k < 8; k++) list.slot[top + 1 + k] = steps[k];
      top += 8;
    } else {
      for (int k = 0; k < 8; k++) Append(steps[k]);
    }
  }
};

constexpr int8_t QueenDirections[8] = {-9, -11, 9, 11, -10, -1, 1, 10};
constexpr int8_t RookDirections[4] = {-10, -1, 1, 10};
constexpr int8_t BishopDirections[4] = {-9, -11, 9, 11};

constexpr uint8_t EnginePromotions[4] = {EngineBishop, EngineKnight, EngineRook, EngineQueen};
constexpr uint8_t OpponentPromotions[4] = {OpponentBishop, OpponentKnight, OpponentRook, OpponentQueen};

}  // namespace

// A ray record ends on the first square along its line that is not empty.
static void AppendRays(uint64_t occupied, int from, const int8_t *directions, int count, ListWriter &out) {
  for (int d = 0; d < count; d++) {
    int direction = directions[d];
    int to = FirstStopAlong(occupied, from, direction);
    out.Append(Move{Square(from), Square(to), int8_t(direction), 0});
  }
}

// A pawn move, or its four promotion records (bishop, knight, rook, queen) when it promotes.
static void AppendPawnMove(int from, int to, bool promotes, const uint8_t (&promotions)[4], ListWriter &out) {
  if (!promotes) {
    out.Append(Move{Square(from), Square(to), PawnMove, 0});
    return;
  }
  for (uint8_t piece : promotions) out.Append(Move{Square(from), Square(to), PawnMove, piece});
}

static void AppendEnginePawn(const Board &board, int s, bool includeQuiet, ListWriter &out) {
  if (includeQuiet && board[s + 10] == Empty) {
    if (RankOf[s] == 7) {
      AppendPawnMove(s, s + 10, true, EnginePromotions, out);
    } else {
      out.Append(Move{Square(s), Square(s + 10), PawnMove, 0});
      if (RankOf[s] == 2 && board[s + 20] == Empty) out.Append(Move{Square(s), Square(s + 20), PawnMove, 0});
    }
  }
  for (int to : {s + 9, s + 11})
    if (SideOf(board[to]) == OpponentSide) AppendPawnMove(s, to, to >= 89, EnginePromotions, out);
}

static void AppendOpponentPawn(const Board &board, int s, bool includeQuiet, ListWriter &out) {
  if (includeQuiet && board[s - 10] == Empty) {
    if (RankOf[s] == 2) {
      AppendPawnMove(s, s - 10, true, OpponentPromotions, out);
    } else {
      out.Append(Move{Square(s), Square(s - 10), PawnMove, 0});
      if (RankOf[s] == 7 && board[s - 20] == Empty) out.Append(Move{Square(s), Square(s - 20), PawnMove, 0});
    }
  }
  // A capture from the second row lands on the opponent's promotion row.
  for (int to : {s - 9, s - 11})
    if (SideOf(board[to]) == EngineSide) AppendPawnMove(s, to, to < 31, OpponentPromotions, out);
}

// Castling records from the side's castling byte: with both rights the long one comes first.
// Neither check nor attacked squares are looked at here.
static void AppendCastling(const Board &board, bool engine, ListWriter &out) {
  int rights = board[engine ? EngineRights : OpponentRights];
  if (rights == 0) return;
  int base = engine ? 20 : 90;
  bool shortFree = board[base + 6] == Empty && board[base + 7] == Empty;
  bool longFree = board[base + 4] == Empty && board[base + 3] == Empty && board[base + 2] == Empty;
  Move shortCastle = engine ? EngineCastleShort : OpponentCastleShort;
  Move longCastle = engine ? EngineCastleLong : OpponentCastleLong;
  if (rights == 1) {
    if (shortFree) out.Append(shortCastle);
  } else if (rights == 2) {
    if (longFree) out.Append(longCastle);
  } else {
    if (longFree) out.Append(longCastle);
    if (shortFree) out.Append(shortCastle);
  }
}

// En passant: the square in byte 122 holds the pawn that just made a double step; a capturing pawn
// beside it (left one first for the engine, right one first for the opponent) lands behind it.
static void AppendEnPassant(const Board &board, bool engine, ListWriter &out) {
  int passed = board[EnPassantSquare];
  if (passed == 0) return;
  int to = engine ? passed + 10 : passed - 10;
  uint8_t pawn = engine ? EnginePawn : OpponentPawn;
  int first = engine ? passed - 1 : passed + 1;
  int second = engine ? passed + 1 : passed - 1;
  for (int from : {first, second})
    if (board[from] == pawn) out.Append(Move{Square(from), Square(to), SpecialMove, 0});
}

// Walks the side's pieces from 21 up to the sentinel on 99. The search's lists carry en passant even without
// the quiet moves; the game flow's recognition list only with them.
static int Generate(const Board &board, bool engine, bool includeQuiet, bool enPassantAlways,
                    MoveList &list) {
  ListWriter out{list, 0};
  list.slot[0] = EndMove;
  const PackedRows rows = PackRows(board);
  const uint64_t occupied = OccupiedSquareBits(rows);
  auto appendPiece = [&](int s) {
    switch (board[s]) {
      case EngineQueen:
      case OpponentQueen:
        AppendRays(occupied, s, QueenDirections, 8, out);
        break;
      case EngineRook:
      case OpponentRook:
        AppendRays(occupied, s, RookDirections, 4, out);
        break;
      case EngineBishop:
      case OpponentBishop:
        AppendRays(occupied, s, BishopDirections, 4, out);
        break;
      case EngineKnight:
      case OpponentKnight:
        out.AppendSteps(KnightMoves[s]);
        break;
      case EngineKing:
      case OpponentKing:
        out.AppendSteps(KingMoves[s]);
        break;
      case EnginePawn:
        AppendEnginePawn(board, s, includeQuiet, out);
        break;
      case OpponentPawn:
        AppendOpponentPawn(board, s, includeQuiet, out);
        break;
      default:
        break;
    }
  };
  ForEachSquareOf(engine ? PieceSquareBits<EngineSide>(rows) : PieceSquareBits<OpponentSide>(rows),
                  appendPiece);
  if (includeQuiet) AppendCastling(board, engine, out);
  if (includeQuiet || enPassantAlways) AppendEnPassant(board, engine, out);
  return out.top;
}

int GenerateEngineMoves(const Board &board, bool includeQuiet, MoveList &list) {
  return Generate(board, true, includeQuiet, true, list);
}

int GenerateOpponentMoves(const Board &board, bool includeQuiet, MoveList &list) {
  return Generate(board, false, includeQuiet, true, list);
}

// The opponent's moves for the game flow's move recognition: the same records, with en passant
// only when includeQuiet is set.
static int GenerateOpponentCheckList(const Board &board, bool includeQuiet, MoveList &list) {
  return Generate(board, false, includeQuiet, false, list);
}

// ---------------------------------------------------------------------------------------------
// Ray records and tried moves.

static bool IsRayRecord(int8_t kind) { return kind >= -11 && kind <= 11 && kind != 0; }

// Moves the far end of a ray one step back towards its piece; clears the slot when nothing is
// left. Returns whether the record survives.
static bool ShortenRay(Move &record) {
  record.to = Square(record.to - record.kind);
  if (record.to == record.from) {
    record = NullMove;
    return false;
  }
  return true;
}

void AddTriedMove(TriedMoves &tried, Move move) {
  if (tried.count < TriedMovesSize) tried.move[tried.count++] = move.Word();
}

bool WasTried(const TriedMoves &tried, Move move) {
  uint32_t word = move.Word();
  for (int i = 0; i < tried.count; i++)
    if (tried.move[i] == word) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------
// The search's capture pass.

// Appends at the next slot, then sinks below every pair with a strictly greater score.
static void InsertCapture(CaptureList &captures, Move move, int32_t score) {
  int slot = ++captures.filled;
  while (slot > 1 && captures.entry[slot - 1].score > score) {
    captures.entry[slot] = captures.entry[slot - 1];
    slot--;
  }
  captures.entry[slot] = ScoredMove{move, score};
}

static void TakeCapture(const Board &board, Move capture, const TriedMoves &tried, CaptureList &captures) {
  if (WasTried(tried, capture)) return;
  int32_t score = 0;  // en passant
  if (capture.kind == CaptureMove)
    score =
        PieceValue[board[capture.to]] * 64 - PieceValue[board[capture.from]] + PieceValue[capture.promotion];
  InsertCapture(captures, capture, score);
}

void CollectCaptures(const Board &board, MoveList &list, int top, int side, const TriedMoves &tried,
                     CaptureList &captures) {
  int enemy = side == EngineSide ? OpponentSide : EngineSide;
  uint8_t ownPawn = side == EngineSide ? EnginePawn : OpponentPawn;
  captures.entry[0] = ScoredMove{EndMove, 0};
  captures.filled = 0;
  for (int slot = top; list.slot[slot].kind != EndOfList; slot--) {
    Move &record = list.slot[slot];
    int8_t kind = record.kind;
    if (kind == 0) continue;
    if (kind == PawnMove) {
      if (board[record.to] == Empty) continue;
      Move capture{record.from, record.to, CaptureMove, record.promotion};
      record = NullMove;
      TakeCapture(board, capture, tried, captures);
    } else if (kind == StepMove) {
      uint8_t target = board[record.to];
      if (target == Empty) continue;
      Move capture{record.from, record.to, CaptureMove, 0};
      record = NullMove;
      if (SideOf(target) == enemy) TakeCapture(board, capture, tried, captures);
    } else if (kind == SpecialMove) {
      if (board[record.from] != ownPawn) continue;  // castling waits for the quiet pass
      Move capture{record.from, record.to, EnPassantMove, 0};
      record = NullMove;
      TakeCapture(board, capture, tried, captures);
    } else if (IsRayRecord(kind)) {
      uint8_t target = board[record.to];
      if (target == Empty) continue;
      if (SideOf(target) == enemy)
        TakeCapture(board, Move{record.from, record.to, CaptureMove, 0}, tried, captures);
      ShortenRay(record);
    }
  }
  captures.top = captures.filled;
}

// Generation writes a side's records piece by piece from 21 upward and the collection reads them
// from the top down, so the captures are met here in the reverse order: the en passant records
// (written last), then the pieces from 98 downward, each one's records last written first. A list
// holds 127 records and drops the rest; only a side with more than sixteen pieces could write that
// many, and such a board takes the long way: false, with the array unfinished, when the walk meets
// a seventeenth piece.
template <int Side>
static bool CollectSideCapturesOnly(const Board &board, const TriedMoves &tried, CaptureList &captures) {
  constexpr bool Engine = Side == EngineSide;
  constexpr int Enemy = Engine ? OpponentSide : EngineSide;
  constexpr int8_t QueenReversed[8] = {10, 1, -1, -10, 11, 9, -11, -9};
  constexpr int8_t RookReversed[4] = {10, 1, -1, -10};
  constexpr int8_t BishopReversed[4] = {11, 9, -11, -9};
  constexpr int8_t KnightReversed[8] = {-12, -21, -19, -8, 12, 21, 19, 8};
  constexpr int8_t KingReversed[8] = {-1, -11, -10, -9, 1, 11, 10, 9};
  const uint8_t *const promotions = Engine ? EnginePromotions : OpponentPromotions;

  auto take = [&](int from, int to, int8_t kind, uint8_t promotion) {
    TakeCapture(board, Move{Square(from), Square(to), kind, promotion}, tried, captures);
  };
  PackedRows rows = PackRows(board);
  const uint64_t occupied = OccupiedSquareBits(rows);
  auto rays = [&](int from, const int8_t *directions, int count) {
    for (int d = 0; d < count; d++) {
      int to = FirstStopAlong(occupied, from, directions[d]);
      if (SideOf(board[to]) == Enemy) take(from, to, CaptureMove, 0);
    }
  };
  // An off-board step lands on the border or a sentinel, whose side bits are never the enemy's:
  // exactly the null entries of the step tables.
  auto steps = [&](int from, const int8_t(&offsets)[8]) {
    for (int8_t offset : offsets)
      if (SideOf(board[from + offset]) == Enemy) take(from, from + offset, CaptureMove, 0);
  };
  auto pawnCapture = [&](int from, int to, bool promotes) {
    if (SideOf(board[to]) != Enemy) return;
    if (!promotes) {
      take(from, to, CaptureMove, 0);
      return;
    }
    for (int k = 3; k >= 0; k--) take(from, to, CaptureMove, promotions[k]);
  };

  captures.entry[0] = ScoredMove{EndMove, 0};
  captures.filled = 0;
  if (int passed = board[EnPassantSquare]; passed != 0) {
    int to = Engine ? passed + 10 : passed - 10;
    uint8_t pawn = Engine ? EnginePawn : OpponentPawn;
    for (int from : {Engine ? passed + 1 : passed - 1, Engine ? passed - 1 : passed + 1})
      if (board[from] == pawn) take(from, to, EnPassantMove, 0);
  }
  // Kind by kind rather than square by square, so that no jump on the piece kind is taken per
  // piece: the array comes out the same, since two captures of equal score have the same kind of
  // capturer (the piece values are all different) and each kind is still walked from 98 downward.
  uint64_t queens = SquaresHolding(rows, Engine ? EngineQueen : OpponentQueen);
  uint64_t rooks = SquaresHolding(rows, Engine ? EngineRook : OpponentRook);
  uint64_t bishops = SquaresHolding(rows, Engine ? EngineBishop : OpponentBishop);
  uint64_t knights = SquaresHolding(rows, Engine ? EngineKnight : OpponentKnight);
  uint64_t kings = SquaresHolding(rows, Engine ? EngineKing : OpponentKing);
  uint64_t pawns = SquaresHolding(rows, Engine ? EnginePawn : OpponentPawn);
  if (std::popcount(queens | rooks | bishops | knights | kings | pawns) > 16) return false;
  ForEachSquareDescending(queens, [&](int s) { rays(s, QueenReversed, 8); });
  ForEachSquareDescending(rooks, [&](int s) { rays(s, RookReversed, 4); });
  ForEachSquareDescending(bishops, [&](int s) { rays(s, BishopReversed, 4); });
  ForEachSquareDescending(knights, [&](int s) { steps(s, KnightReversed); });
  ForEachSquareDescending(kings, [&](int s) { steps(s, KingReversed); });
  ForEachSquareDescending(pawns, [&](int s) {
    if (Engine) {
      pawnCapture(s, s + 11, s + 11 >= 89);
      pawnCapture(s, s + 9, s + 9 >= 89);
    } else {
      pawnCapture(s, s - 11, s - 11 < 31);
      pawnCapture(s, s - 9, s - 9 < 31);
    }
  });
  captures.top = captures.filled;
  return true;
}

void CollectCapturesOnly(const Board &board, int side, const TriedMoves &tried, CaptureList &captures) {
  bool collected = side == EngineSide ? CollectSideCapturesOnly<EngineSide>(board, tried, captures)
                                      : CollectSideCapturesOnly<OpponentSide>(board, tried, captures);
  if (collected) return;
  MoveList list;
  int top = side == EngineSide ? GenerateEngineMoves(board, false, list)
                               : GenerateOpponentMoves(board, false, list);
  CollectCaptures(board, list, top, side, tried, captures);
}

void RewindCaptures(CaptureList &captures) { captures.top = captures.filled; }

// Walks the capture array from its top down: a pair that passes the filter is handed out and
// cleared, one that fails is passed over and stays for a later walk.
template <typename Filter>
static Move NextCaptureWhere(CaptureList &captures, Filter passes) {
  while (true) {
    ScoredMove &pair = captures.entry[captures.top];
    if (pair.move.kind == EndOfList) return pair.move;
    captures.top--;
    if (pair.move.IsNull() || !passes(pair.move)) continue;
    Move move = pair.move;
    pair.move = NullMove;
    return move;
  }
}

static bool IsRecapture(Move capture, int previousTo) {
  return capture.kind == EnPassantMove || capture.to == previousTo;
}

Move NextCapture(CaptureList &captures, CaptureMode mode, int previousTo) {
  if (mode == CaptureMode::All) return NextCaptureWhere(captures, [](Move) { return true; });
  return NextCaptureWhere(captures, [previousTo](Move capture) { return IsRecapture(capture, previousTo); });
}

Move NextGoodCapture(CaptureList &captures, int previousTo, const Board &board, int side) {
  return NextCaptureWhere(captures, [&](Move capture) {
    return IsRecapture(capture, previousTo) || IsGoodCapture(board, capture, side);
  });
}

bool IsGoodCapture(const Board &board, Move capture, int side) {
  if (capture.promotion != 0) return true;
  if (PieceWeight[board[capture.to]] >= PieceWeight[board[capture.from]]) return true;
  int defender = side == EngineSide ? OpponentSide : EngineSide;
  return !IsAttacked(board, capture.to, defender);
}

// ---------------------------------------------------------------------------------------------
// The quiet pass, shared by the search and the game flow's recognition.

// The next non-capture from the top of a list whose captures are gone. specialKind resolves a
// kind-110 record (castling, or en passant in the recognition list).
template <typename SpecialKind, typename Skip>
static Move NextQuiet(MoveList &list, int &top, SpecialKind specialKind, Skip skip) {
  while (true) {
    Move &record = list.slot[top];
    int8_t kind = record.kind;
    if (kind == EndOfList) return record;
    if (kind == 0) {
      top--;
      continue;
    }
    Move move{record.from, record.to, QuietMove, record.promotion};
    if (IsRayRecord(kind)) {
      // A ray yields its squares from the far end inward; the top stays while squares remain.
      move.promotion = 0;
      if (!ShortenRay(record)) top--;
    } else {
      if (kind == SpecialMove) move.kind = specialKind(record);
      record = NullMove;
      top--;
    }
    if (!skip(move)) return move;
  }
}

Move NextQuietMove(MoveList &list, int &top, const TriedMoves &tried) {
  return NextQuiet(
      list, top, [](Move) { return CastlingMove; }, [&tried](Move move) { return WasTried(tried, move); });
}

static Move NextCheckQuiet(const Board &board, MoveList &list, int &top) {
  auto special = [&board](Move record) {
    uint8_t piece = board[record.from];
    return piece == EngineKing || piece == OpponentKing ? CastlingMove : EnPassantMove;
  };
  return NextQuiet(list, top, special, [](Move) { return false; });
}

// Game-flow side, on a list from GenerateOpponentCheckList: the next capture (kind 60) or the
// next non-capture (kind 10, 30 for castling, 40 for en passant); a record of kind 120 at the end.
static Move NextCheckCapture(const Board &board, MoveList &list, int &top) {
  while (true) {
    Move &record = list.slot[top];
    int8_t kind = record.kind;
    if (kind == EndOfList) return record;
    top--;
    if (kind == PawnMove || kind == StepMove) {
      uint8_t target = board[record.to];
      if (target == Empty) continue;
      Move capture{record.from, record.to, CaptureMove, record.promotion};
      record = NullMove;
      if (SideOf(target) == EngineSide) return capture;
    } else if (IsRayRecord(kind)) {
      uint8_t target = board[record.to];
      if (target == Empty) continue;
      Move capture{record.from, record.to, CaptureMove, 0};
      ShortenRay(record);
      if (SideOf(target) == EngineSide) return capture;
    }
  }
}

// Runs one pass of the recognition list until a move with the wanted from and to comes out.
template <typename Next>
static bool FindInPass(Move &move, Next next) {
  for (Move candidate = next(); candidate.kind != EndOfList; candidate = next()) {
    if (candidate.from == move.from && candidate.to == move.to) {
      move = candidate;
      return true;
    }
  }
  return false;
}

void FindOpponentMove(const Board &board, Move &move) {
  MoveList list;
  int saved = GenerateOpponentCheckList(board, true, list);
  int top = saved;
  if (FindInPass(move, [&] { return NextCheckCapture(board, list, top); })) return;
  top = saved;
  if (FindInPass(move, [&] { return NextCheckQuiet(board, list, top); })) return;
  move = NullMove;
}
