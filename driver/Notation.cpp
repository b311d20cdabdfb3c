#include "driver/Notation.h"

#include "board/MoveText.h"

// Two squares, upper case: A..H and 1..8 twice; what follows is not examined.
bool StartsWithSquares(std::string_view text) {
  if (text.size() < 4) return false;
  auto isFile = [](char c) { return c >= 'A' && c <= 'H'; };
  auto isRank = [](char c) { return c >= '1' && c <= '8'; };
  return isFile(text[0]) && isRank(text[1]) && isFile(text[2]) && isRank(text[3]);
}

std::string ToEngineMoveText(std::string_view protocolMove) {
  std::string result(protocolMove.substr(0, 4));
  if (protocolMove.size() >= 5) {
    char letter = protocolMove[4];
    if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
    const PromotionName *name = FindPromotion(letter, true);
    if (name != nullptr) result += name->dutch;  // any other letter is dropped
  }
  return result;
}

std::string ToProtocolMoveText(std::string_view engineMove) {
  std::string result;
  for (size_t i = 0; i < engineMove.size() && i < 4; i++) {
    char c = engineMove[i];
    result += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  }
  if (engineMove.size() >= 5) {
    char letter = engineMove[4];
    if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
    const PromotionName *name = FindPromotion(letter, false);
    if (name != nullptr) result += name->english;
  }
  return result;
}
