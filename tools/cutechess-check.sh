#!/usr/bin/env bash
# KrelinChess under cutechess-cli, the match runner engine authors use, against another xboard
# engine (Phalanx by default) from opening positions, each played twice with the colours swapped.
# Three modes, each a match of its own:
#   st     st=1: one second a move; the longest answer of the engine is shown and must stay below it
#   depth  the engine at depth=6 (no clock), the opponent at 10+0.1: no thinking line deeper than 6
#   tc     tc=10+0.1 with pondering off (cutechess sends easy): no ponder line in the debug output
# For each it prints the score, the Elo difference with its 95% margin, and the forfeits, losses on
# time and illegal moves of the engine. Exits 1 when any of those happened or a mode's check failed.
#
#   tools/cutechess-check.sh [-n GAMES] [-m "st depth tc"] [-p POSITIONS] [-e ENGINE] [-c CUTECHESS]
#                            [-keep DIR] [OPPONENT [OPPONENT ARGS...]]
#
#   tools/cutechess-check.sh -n 4                   # four games a mode against phalanx -l-
#   tools/cutechess-check.sh -n 40 -m tc phalanx -l-
#
# cutechess-cli is taken from -c, $CUTECHESS, the PATH, or built by build-cutechess.sh in the
# shared tools beside the repository (../shared/tools/build-cutechess.sh).
set -u
here=$(cd "$(dirname "$0")" && pwd)
games=4
modes="st depth tc"
positions="$here/openings.fen"
engine="$here/../build/release/krelin"
cutechess="${CUTECHESS:-}"
keep=""

usage() {
  sed -n '11,16p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}
while [ $# -gt 0 ]; do
  case "$1" in
    -n) games="$2"; shift 2 ;;
    -m) modes="$2"; shift 2 ;;
    -p) positions="$2"; shift 2 ;;
    -e) engine="$2"; shift 2 ;;
    -c) cutechess="$2"; shift 2 ;;
    -keep) keep="$2"; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "cutechess-check.sh: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[[ "$games" =~ ^[1-9][0-9]*$ ]] || { echo "cutechess-check.sh: -n wants a number of games" >&2; exit 2; }
for mode in $modes; do
  case "$mode" in st|depth|tc) ;; *) echo "cutechess-check.sh: unknown mode $mode" >&2; exit 2 ;; esac
done
export PATH="$PATH:/usr/games"
[ $# -ge 1 ] || set -- phalanx -l-
opponent=$(command -v "$1") || { echo "cutechess-check.sh: $1 is not installed" >&2; exit 2; }
shift
opponentArgs=()
for arg in "$@"; do opponentArgs+=("arg=$arg"); done

if [ -z "$cutechess" ]; then
  cutechess=$(command -v cutechess-cli || true)
  builder="$here/../../shared/tools/build-cutechess.sh"
  if [ -z "$cutechess" ] && [ -x "$builder" ]; then cutechess=$("$builder" | tail -1); fi
fi
[ -n "$cutechess" ] && [ -x "$cutechess" ] || { echo "cutechess-check.sh: no cutechess-cli (give -c PATH)" >&2; exit 2; }
[ -x "$engine" ] || { echo "cutechess-check.sh: no engine at $engine (build it with make)" >&2; exit 2; }
[ -r "$positions" ] || { echo "cutechess-check.sh: cannot read $positions" >&2; exit 2; }
engine=$(realpath "$engine")
positions=$(realpath "$positions")
data=$(realpath "$here/../data")

if [ -n "$keep" ]; then
  mkdir -p "$keep"
  dir=$(realpath "$keep")
else
  dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-cutechess-XXXXXX")
  trap 'rm -rf "$dir"' EXIT
fi

failed=0
fail() { echo "FAIL ($1): $2"; failed=1; }

# One match: the mode, then the engine's and the opponent's cutechess options.
run_mode() {
  local mode="$1" ours="$2" theirs="$3" sub="$dir/$1"
  mkdir -p "$sub"
  printf 'HASH=8\nQUIT=0\nKIBS=0\nCLOG=0\n' > "$sub/krelininit.txt"
  cp "$data"/*.bk "$sub/"
  echo "== $mode: $games games, KrelinChess $ours, $(basename "$opponent") $theirs"
  # shellcheck disable=SC2086
  "$cutechess" -engine name=Krelin cmd="$engine" dir="$sub" proto=xboard $ours \
    -engine name=Opponent cmd="$opponent" "${opponentArgs[@]}" proto=xboard $theirs \
    -openings file="$positions" format=epd order=sequential -repeat -games "$games" \
    -recover -pgnout "$sub/games.pgn" -debug > "$sub/debug.txt" 2>&1
  local log="$sub/debug.txt" pgn="$sub/games.pgn"
  grep -E '^(Score of|Elo difference)' "$log" | tail -2
  # Games that ended other than on the board, whoever lost them (the last comment of a game says).
  local timeLosses illegal forfeits
  timeLosses=$(grep -c 'loses on time' "$pgn" || true)
  illegal=$(grep -Ec 'makes an illegal move|illegal move' "$pgn" || true)
  forfeits=$(grep -Ec 'disconnects|stalls' "$pgn" || true)
  echo "games lost on time: $timeLosses, on an illegal move: $illegal, by a stalled engine: $forfeits"
  grep -Eo '\{[^{}]*(loses on time|illegal move|disconnects|stalls)[^{}]*\} *(1-0|0-1)' "$pgn"
  # Only the engine's failures fail the check: find whose they were in the PGN.
  if awk '
      /^\[White / { w = $0 } /^\[Black / { b = $0 }
      /(loses on time|makes an illegal move|disconnects|stalls)/ {
        if ((w ~ /Krelin/ && $0 ~ /White (loses|makes|disconnects|stalls)/) ||
            (b ~ /Krelin/ && $0 ~ /Black (loses|makes|disconnects|stalls)/)) bad = 1 }
      END { exit !bad }' "$pgn"; then
    fail "$mode" "the engine forfeited a game"
  fi
  grep -q '<Krelin([0-9]*): Illegal move' "$log" && fail "$mode" "the engine refused a move"
  grep -q '<Krelin([0-9]*): Error' "$log" && fail "$mode" "the engine reported a protocol error"
  local games_played
  games_played=$(grep -c '^\[Result "[^*]' "$pgn" 2>/dev/null || true)
  [ "${games_played:-0}" -eq "$games" ] || fail "$mode" "expected $games finished games, found ${games_played:-0}"
  case "$mode" in
    st)
      # cutechess's debug lines begin with its clock in milliseconds: from the line that sets the
      # engine thinking to its move.
      local longest
      longest=$(awk '
        / >Krelin\([0-9]+\): (go|usermove )/ { start = $1 }
        / <Krelin\([0-9]+\): move / { if (start != "" && $1 - start > max) max = $1 - start; start = "" }
        END { print max + 0 }' "$log")
      echo "longest answer of the engine: $longest ms"
      [ "$longest" -lt 1000 ] || fail "$mode" "an answer took $longest ms at st=1"
      ;;
    depth)
      local deepest
      deepest=$(awk '/ <Krelin\([0-9]+\): [0-9]+ [-+]?[0-9]+ +[0-9]+ [0-9]+ / { d = $3 + 0; if (d > max) max = d }
                     END { print max + 0 }' "$log")
      echo "deepest thinking line of the engine: $deepest"
      [ "$deepest" -le 6 ] || fail "$mode" "the engine searched to depth $deepest at depth=6"
      ;;
    tc)
      local ponder
      ponder=$(grep -Ec '<Krelin\([0-9]+\): [0-9]+ [-+]?[0-9]+ +[0-9]+ [0-9]+ \[' "$log" || true)
      echo "ponder lines of the engine: $ponder"
      [ "$ponder" -eq 0 ] || fail "$mode" "the engine pondered with pondering off"
      ;;
  esac
}

for mode in $modes; do
  case "$mode" in
    st) run_mode st "st=1" "st=1" ;;
    depth) run_mode depth "depth=6 tc=inf" "tc=10+0.1" ;;
    tc) run_mode tc "tc=10+0.1" "tc=10+0.1" ;;
  esac
done
[ -n "$keep" ] && echo "games and debug output kept in $dir"
[ "$failed" -eq 0 ] || exit 1
echo "all modes passed"
