#!/usr/bin/env bash
# Games of KrelinChess against Fairy-Max under a real xboard (headless), as engine matches are run:
# from opening positions (openings.fen beside this script), each played twice with the colours
# swapped, so that the engine moves second after setboard in half of the games. Three openings are
# picked at random and printed; the first pair is played with pondering on, the second with it off,
# the third at one second a move (-st 0:01: xboard reads -st 1 as a minute; it sends st 1 and
# the clock, time 100, before every move).
# Fails on a forfeit or an invalid or illegal move from either side, a protocol error from the
# engine, a crash, a loss on time by the engine, or a game without a result.
# With a second argument "polyglot" the engine speaks UCI through Debian's polyglot, which turns
# xboard's commands into UCI (position ... moves, go with the clocks, go ponder and ponderhit).
# Exit 77 (skipped) when xboard, Xvfb, Fairy-Max (or polyglot) is not installed.
set -u
engine="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
through="${2:-}"
openings="$(cd "$(dirname "$0")" && pwd)/openings.fen"
export PATH="$PATH:/usr/games"
for tool in xboard xvfb-run fairymax ${through:+polyglot}; do
  if ! command -v "$tool" > /dev/null 2>&1; then
    echo "skipped: $tool is not installed (make test installs xboard, xvfb, fairymax and polyglot when run as root)"
    exit 77
  fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-xboard-XXXXXX")
trap 'rm -rf "$dir"' EXIT
mapfile -t fens < <(grep -v '^ *$' "$openings")
count=${#fens[@]}
first=$((RANDOM % count))
second=$(((first + 1 + RANDOM % (count - 1)) % count))
third=$(((second + 1 + RANDOM % (count - 1)) % count))

failed=0
fail() { echo "FAIL ($1): $2"; failed=1; }

# Plays one opening twice in its own folder: label, pondering (true or false), FEN, and the time
# control's options (20 seconds and 0.2 a move unless given).
play_pair() {
  local label="$1" ponder="$2" fen="$3" sub="$dir/${1// /}"
  local -a control=(-tc 0:20 -inc 0.2)
  [ $# -ge 4 ] && read -r -a control <<< "$4"
  mkdir -p "$sub"
  printf 'HASH=4\nQUIT=0\nKIBS=0\nCLOG=1\n' > "$sub/krelininit.txt"
  printf '%s\n' "$fen" > "$sub/openings.fen"
  echo "$label: pondering $ponder, ${control[*]}, from $fen${through:+, through $through}"
  local command="$engine"
  [ -z "$through" ] || command="polyglot -noini -ec $engine -ed $sub"
  timeout 600 xvfb-run -a xboard -fcp "$command" -fd "$sub" -scp fairymax -sd "$sub" -mg 2 "${control[@]}" \
    -autoCallFlag true -ponderNextMove "$ponder" -lpf "$sub/openings.fen" -lpi -2 \
    -noGUI -xexit -saveSettingsOnExit false -sgf "$sub/games.pgn" \
    -debug -nameOfDebugFile "$sub/debug.txt" > "$sub/xboard.out" 2>&1
  local status=$? pgn="$sub/games.pgn" debug="$sub/debug.txt"
  [ "$status" -eq 0 ] || fail "$label" "xboard ended with status $status"
  local games
  games=$(grep -c '^\[Result ' "$pgn" 2>/dev/null || true)
  [ "${games:-0}" -eq 2 ] || fail "$label" "expected 2 games, found ${games:-0}"
  if grep -q '^\[Result "\*"\]' "$pgn" 2>/dev/null; then fail "$label" "a game ended without a result"; fi
  if grep -Eqi 'forfeit|invalid move|illegal move|illegal engine move' "$pgn" 2>/dev/null; then
    fail "$label" "a game was forfeited or ended on an illegal move"
  fi
  if grep -Eq '<(first|second) *: *Illegal move' "$debug" 2>/dev/null; then
    fail "$label" "an engine refused a move"
    grep -E '<(first|second) *: *Illegal move' "$debug"
  fi
  if grep -q '<first : Error' "$debug" 2>/dev/null; then
    fail "$label" "the engine reported a protocol error"
    grep '<first : Error' "$debug"
  fi
  if grep -Eqi 'exited unexpectedly|crashed|died' "$debug" "$pgn" "$sub/xboard.out" 2>/dev/null; then
    fail "$label" "an engine crashed"
  fi
  # A loss on time by the engine: the side it played lost and the termination names the clock.
  if awk '/^\[White /{w=$0} /^\[Black /{b=$0} /on time/{ if ((w ~ /Krelin/ && $0 ~ /White.*(lose|loses|forfeit)|Black wins/) || (b ~ /Krelin/ && $0 ~ /Black.*(lose|loses|forfeit)|White wins/)) bad=1 } END{exit !bad}' "$pgn"; then
    fail "$label" "the engine lost on time"
  elif grep -q 'on time' "$pgn" 2>/dev/null; then
    echo "note ($label): Fairy-Max lost on time"
  fi
  grep -E '^\[(White|Black|Result) ' "$pgn" 2>/dev/null
  grep -E '\{[^}]*\} *(1-0|0-1|1/2-1/2)$' "$pgn" 2>/dev/null
  if [ "$failed" -ne 0 ]; then
    echo "--- xboard's own output ($label)"
    grep -v -e ALSA -e aplay "$sub/xboard.out" 2>/dev/null | tail -10
    echo "--- last lines of the xboard debug log ($label)"
    tail -40 "$debug" 2>/dev/null
  fi
}

play_pair "opening $((first + 1))" true "${fens[$first]}"
[ "$failed" -eq 0 ] && play_pair "opening $((second + 1))" false "${fens[$second]}"
[ "$failed" -eq 0 ] && play_pair "opening $((third + 1)) at st 1" false "${fens[$third]}" "-st 0:01"
[ "$failed" -eq 0 ] || exit 1
echo "six games from three openings played to a result"
