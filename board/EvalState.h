// EvalState: the per-node record of the search path, the material and the incremental
// evaluation terms, copied by value into every search node together with the board. Created
// from a scan of the board before a search; MakeMove keeps the material fields, the search the
// path fields and the evaluation the term fields.
#pragma once

#include <cstdint>

struct EvalState {
  uint64_t positionKey;     // Zobrist key of the placement (low and high halves)
  int32_t reversibleCount;  // reversible moves on the search path
  int32_t extensionCount;   // extensions applied on the path
  int32_t extensionCredit;  // -5 at the root
  int32_t lazyReuse;        // null-move nesting; lets the summation keep the parent's sum
  int32_t captureCredit;    // 0 or 1
  int32_t harmlessQuietCount;
  int32_t runnerCount;          // engine passed pawns that pass the king-support test
  int32_t futilityMargin;       // written by a node for its children
  int32_t queenBalance;         // engine minus opponent queens
  int32_t rookBalance;          // engine minus opponent rooks
  int32_t minorBalance;         // engine minus opponent knights plus bishops
  int32_t enginePasserCount;    // engine passed pawns in passerList
  int32_t opponentPasserEnd;    // 8 + opponent passed pawns in passerList
  int8_t enginePawnSquares[8];  // engine pawns in scan order, 0 = unused
  int8_t opponentPawnSquares[8];
  int8_t passerList[16];       // 0..7 engine passed pawns, 8..15 the opponent's
  int32_t enginePawnMaterial;  // 95 per pawn
  int32_t opponentPawnMaterial;
  int32_t engineMaterial;  // PieceValue over the side's pieces, king excluded
  int32_t opponentMaterial;
  int32_t enginePieceMaterial;  // material minus pawn material
  int32_t opponentPieceMaterial;
  int32_t positionalSum;     // sum of the term fields
  int32_t positionalAdjust;  // the path bonus, from the engine's side
  int32_t doubledTerm;
  int32_t pawnStructureTerm;
  int32_t passedPawnTerm;
  int32_t pieceSquareSum;
  int32_t engineKingTerm;
  int32_t opponentKingTerm;
  int32_t engineKingDanger;
  int32_t opponentKingDanger;
  int32_t positionalTerm;
  int32_t threatTerm;
  int32_t totalScore;  // the static evaluation the search reads
  int32_t engineBishopsOnColour1;
  int32_t engineBishopsOnColour0;
  int32_t opponentBishopsOnColour1;
  int32_t opponentBishopsOnColour0;
  uint64_t enginePawnBits;
  uint64_t opponentPawnBits;
};
