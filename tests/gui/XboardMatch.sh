#!/usr/bin/env bash
# Two games of KrelinChess against Fairy-Max under a real xboard (headless, with pondering on).
# Fails on an illegal move, a protocol error, a crash, a loss on time or a game without a result.
# Exit 77 (skipped) when xboard, Xvfb or Fairy-Max is not installed.
set -u
engine="$1"
export PATH="$PATH:/usr/games"
for tool in xboard xvfb-run fairymax; do
  if ! command -v "$tool" > /dev/null 2>&1; then
    echo "skipped: $tool is not installed (make test installs xboard, xvfb and fairymax when run as root)"
    exit 77
  fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-xboard-XXXXXX")
trap 'rm -rf "$dir"' EXIT
printf 'HASH=4\nQUIT=0\nKIBS=0\nCLOG=1\n' > "$dir/krelininit.txt"

timeout 900 xvfb-run -a xboard -fcp "$engine" -fd "$dir" -scp fairymax -sd "$dir" -mg 2 -tc 0:30 -inc 0.3 -autoCallFlag true \
  -ponder -noGUI -xexit -saveSettingsOnExit false -sgf "$dir/games.pgn" \
  -debug -nameOfDebugFile "$dir/debug.txt" > "$dir/xboard.out" 2>&1
status=$?

failed=0
fail() { echo "FAIL: $*"; failed=1; }
[ "$status" -eq 0 ] || fail "xboard ended with status $status"
[ -s "$dir/games.pgn" ] || fail "no games were saved"
games=$(grep -c '^\[Result ' "$dir/games.pgn" 2>/dev/null || true)
[ "${games:-0}" -eq 2 ] || fail "expected 2 games, found ${games:-0}"
if grep -q '^\[Result "\*"\]' "$dir/games.pgn" 2>/dev/null; then fail "a game ended without a result"; fi
if grep -q '<first : Illegal move' "$dir/debug.txt" 2>/dev/null; then fail "the engine refused a legal move"; fi
if grep -q '<first : Error' "$dir/debug.txt" 2>/dev/null; then fail "the engine reported a protocol error"; fi
if grep -Eqi 'illegal move' "$dir/games.pgn" 2>/dev/null; then fail "an illegal move ended a game"; fi
if grep -Eqi 'exited unexpectedly|crashed|died' "$dir/debug.txt" "$dir/games.pgn" "$dir/xboard.out" 2>/dev/null; then
  fail "an engine crashed"
fi
# A loss on time by the engine: the side it played lost and the termination names the clock.
if awk '/^\[White /{w=$0} /^\[Black /{b=$0} /on time/{ if ((w ~ /Krelin/ && $0 ~ /White.*(lose|loses|forfeit)|Black wins/) || (b ~ /Krelin/ && $0 ~ /Black.*(lose|loses|forfeit)|White wins/)) bad=1 } END{exit !bad}' "$dir/games.pgn"; then
  fail "the engine lost on time"
fi

grep -E '^\[(White|Black|Result) ' "$dir/games.pgn" 2>/dev/null
grep -E '\{[^}]*\} *(1-0|0-1|1/2-1/2)$' "$dir/games.pgn" 2>/dev/null
if [ "$failed" -ne 0 ]; then
  echo "--- xboard's own output"
  grep -v -e ALSA -e aplay "$dir/xboard.out" 2>/dev/null | tail -10
  echo "--- last lines of the xboard debug log"
  tail -40 "$dir/debug.txt" 2>/dev/null
  exit 1
fi
echo "two games played to a result"
