// Move generation: the generators fill a MoveList with compact records for one side, and the
// iterators hand the moves out one at a time with a resolved kind (QuietMove, CastlingMove,
// EnPassantMove, CaptureMove).
//
// A sliding piece gets one ray record per direction; its `to` is the first occupied index in that
// direction (own piece, enemy piece, border or sentinel). The capture pass looks only at that end
// square and then shortens the record by one step, so afterwards every surviving ray ends on its
// last empty square; the quiet pass walks it from that far end back towards the piece. Knight and
// king records are copied from the step tables, null entries included.
//
// Generation is pseudo-legal: whether the mover's king is left in check, or castles through an
// attacked square, is decided after the move is made (see Legality.h).
//
// The order in which moves come out is part of the design: the search's node counts depend on it.
// Iterators take records from the top of the list, so the last record generated comes out first.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/Move.h"

// The captures of one node, moved out of its MoveList: slot 0 holds EndMove, slots 1..filled hold
// (move, score) pairs in ascending score order; of two equal scores the one collected later sits
// higher. `top` is the pair the next capture iterator looks at; an iterator that passes over a
// capture without handing it out leaves it for a later walk (RewindCaptures).
struct ScoredMove {
  Move move;
  int32_t score;
};

struct CaptureList {
  ScoredMove entry[MoveListSize];  // a list of 127 records holds at most 127 captures
  int top;
  int filled;
};

// The moves already tried at one node (hash move, pre-moves, killers): the iterators skip a move
// equal to one of them. Owned by the search node; AddTriedMove ignores moves beyond the capacity.
constexpr int TriedMovesSize = 64;

struct TriedMoves {
  int count = 0;
  uint32_t move[TriedMovesSize];  // entries from count on are never read
};

enum class CaptureMode { All, RecapturesOnly };

// ---------------------------------------------------------------------------------------------
// Generators: slot 0 := EndMove, records from slot 1 upward, returns the top index (the last
// record written). Records that would pass slot 127 are dropped. Without includeQuiet, pawn pushes
// and castling are left out; en passant records come either way.
int GenerateEngineMoves(const Board &board, bool includeQuiet, MoveList &list);
int GenerateOpponentMoves(const Board &board, bool includeQuiet, MoveList &list);

// Search side. side is EngineSide or OpponentSide (the side to move).
// Moves every capture out of the list into captures (scored, tried moves dropped), clears or
// shortens their records; the list's top is left where it was.
void CollectCaptures(const Board &board, MoveList &list, int top, int side, const TriedMoves &tried,
                     CaptureList &captures);
// The capture array that generating without quiet moves and then CollectCaptures would build, the
// same pairs in the same order, made straight from the board for a node that searches captures
// only and needs no move list.
void CollectCapturesOnly(const Board &board, int side, const TriedMoves &tried, CaptureList &captures);
void RewindCaptures(CaptureList &captures);  // a new walk over what earlier walks passed over
// Next capture, highest score first; EndMove when none is left. In RecapturesOnly mode only en
// passant and captures onto previousTo are handed out, the others are passed over.
Move NextCapture(CaptureList &captures, CaptureMode mode, int previousTo);
// Next en passant capture, capture onto previousTo, or capture passing IsGoodCapture; the others
// are passed over.
Move NextGoodCapture(CaptureList &captures, int previousTo, const Board &board, int side);
// A promotion, a capture of a piece at least as heavy as the capturer, or a capture onto a square
// the side not to move does not attack (board before the capture).
bool IsGoodCapture(const Board &board, Move capture, int side);
// Next castling (kind 30) or other non-capture (kind 10), skipping tried moves; the EndOfList
// record when none is left. Call after CollectCaptures, from the list's original top.
Move NextQuietMove(MoveList &list, int &top, const TriedMoves &tried);

void AddTriedMove(TriedMoves &tried, Move move);
bool WasTried(const TriedMoves &tried, Move move);

// Replaces move (only from and to are read) by the opponent's generated move with the same from
// and to, its kind and promotion byte included (a promotion matches the queen first); NullMove
// when there is none. Legality is not tested.
void FindOpponentMove(const Board &board, Move &move);
