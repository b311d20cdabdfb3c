// Material signatures: a side's pawn or piece material (king excluded) is a sum of PieceValue, so
// the evaluation tests for a set of pieces by its sum. These names say which set a sum stands for.
#pragma once

#include <cstdint>

constexpr int32_t OnePawn = 95, TwoPawns = 2 * OnePawn;
constexpr int32_t OneKnight = 305, OneBishop = 310, OneRook = 480, OneQueen = 900;
constexpr int32_t TwoKnights = 2 * OneKnight, BishopAndKnight = OneBishop + OneKnight, TwoRooks = 2 * OneRook;

// A side's piece material is exactly one piece of that kind.
constexpr bool HasOnlyRook(int32_t pieces) { return pieces == OneRook; }
constexpr bool HasOnlyBishop(int32_t pieces) { return pieces == OneBishop; }
constexpr bool HasOnlyKnight(int32_t pieces) { return pieces == OneKnight; }
