// Move texts between the interfaces' notation (e2e4, e7e8q) and the engine's own (E2E4, E7E8D with
// the Dutch piece initials). Both front ends and the game flow's move-by-move game use them.
#pragma once

#include <string>
#include <string_view>

bool StartsWithSquares(
    std::string_view text);  // two squares in upper case (E2E4...); the rest is not examined
std::string ToEngineMoveText(
    std::string_view protocolMove);  // e7e8q -> E7E8D; an unknown piece letter is dropped
std::string ToProtocolMoveText(std::string_view engineMove);  // E7E8D -> e7e8Q
