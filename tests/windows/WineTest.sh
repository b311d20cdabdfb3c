#!/usr/bin/env bash
# The Windows build under wine, unpacked from its zip as a user would: krelin.exe started from
# another folder finds its data beside itself, plays the handshake and a book reply, finds the
# winning move of a set-up position while thinking lines arrive, and notices a GUI that goes away
# while it ponders (wine hands it the GUI's pipe, which PeekNamedPipe cannot see into); then one
# whole game under xboard against Fairy-Max, with the engine started as `wine krelin.exe`.
# Usage: WineTest.sh WINDOWS_BUILD_DIR. Skipped (exit 0) when wine, xboard or Fairy-Max is missing.
set -u
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
. "$source_dir/tests/support/EngineTalk.sh"
export PATH="$PATH:/usr/games"
for tool in wine xboard xvfb-run fairymax unzip; do
  if ! command -v "$tool" > /dev/null 2>&1; then
    echo "skipped: $tool is not installed (make test installs it when run as root)"
    exit 0
  fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-wine-XXXXXX")
# The wine prefix is made once per build folder: it takes a while, and nothing of the test stays in it.
# Its server ends a moment after the last program: the test waits for it.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'rm -rf "$dir"; wineserver -w 2> /dev/null' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot -i > /dev/null 2>&1 || { echo "FAIL: wineboot"; exit 1; }; fi
talk_in_folder "$dir"

zip=$(ls "$build"/KrelinChess-*-windows.zip 2> /dev/null | head -1)
[ -n "$zip" ] || { echo "FAIL: no zip in $build"; exit 1; }
unzip -q "$zip" -d "$dir" || { echo "FAIL: the zip does not unpack"; exit 1; }
engine=$(ls -d "$dir"/KrelinChess-*-windows)
for file in krelin.exe krelininit.txt KrelinWhite.bk KrelinBlack.bk README.txt; do
  [ -f "$engine/$file" ] || fail "the zip lacks $file"
done

mkdir "$dir/elsewhere"
engine_start "$dir/elsewhere" wine "$engine/krelin.exe"
engine_handshake || fail "handshake: $(cat "$talk_log")"
engine_send new "level 0 1 0" "time 6000" "usermove e2e4"
engine_expect "move " 60 || fail "no move to e2e4: $(tail -3 "$talk_log")"
grep -q '(book' "$talk_log" || fail "the books beside krelin.exe were not used: $(tail -3 "$talk_log")"
# A set-up position, as xboard sends one (force stops the pondering). Qg6 wins: Qxg7 mate and the
# knight fork cannot both be met.
engine_send force "setboard 2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1" "time 3000" go
engine_expect "move " 60 || fail "no move in the set-up position: $(tail -3 "$talk_log")"
[ "$(tail -1 "$talk_log")" = "move g3g6" ] || fail "the search missed Qg6: $(tail -3 "$talk_log")"
grep -Eq '^[0-9]+ [+-]?[0-9]+ +[0-9]+ [0-9]+ g3-g6' "$talk_log" || fail "no thinking line for Qg6"
engine_send "usermove f7g6"
sleep 2  # the engine answers and ponders on; then the GUI goes away
engine_close 20
status=$?
[ "$status" -eq 0 ] || fail "the engine did not end with its input (status $status): $(tail -3 "$talk_log")"

# One whole game under xboard, with pondering: no forfeit, no illegal move, no loss on time.
timeout 600 xvfb-run -a xboard -fcp "wine krelin.exe" -fd "$engine" -scp fairymax -sd "$dir" -mg 1 -tc 0:20 \
  -inc 0 -ponder -noGUI -xexit -saveSettingsOnExit false -sgf "$dir/game.pgn" \
  -debug -nameOfDebugFile "$dir/debug.txt" > "$dir/xboard.out" 2>&1 || fail "xboard ended with status $?"
grep -Eq '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$dir/game.pgn" 2> /dev/null || fail "the game has no result"
grep -Eqi 'forfeit|illegal move|exited unexpectedly|crashed' "$dir/game.pgn" "$dir/xboard.out" 2> /dev/null &&
  fail "the game ended in a forfeit, an illegal move or a crash"
if grep -q '^\[White "KrelinChess' "$dir/game.pgn"; then lost="0-1"; else lost="1-0"; fi
grep -q "^\[Result \"$lost\"\]" "$dir/game.pgn" && grep -Eqi '\{[^}]*(time|flag)[^}]*\}' "$dir/game.pgn" &&
  fail "the engine lost on time"
grep -E '^\[(White|Black|Result) |\{[^}]*\} *(1-0|0-1|1/2-1/2)$' "$dir/game.pgn" 2> /dev/null

if [ "$failed" -ne 0 ]; then
  echo "--- the end of xboard's debug log"
  tail -30 "$dir/debug.txt" 2> /dev/null
  exit 1
fi
echo "wine: handshake, book reply, search, end of input and a whole game under xboard"
