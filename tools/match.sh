#!/usr/bin/env bash
# A match of KrelinChess against another xboard engine from opening positions (each played twice,
# colours swapped): under cutechess-cli when it is built (../shared/tools/build-cutechess.sh), the
# engine speaking xboard or UCI (-proto), otherwise under a real, headless xboard (xboard only).
# Prints every game, the score, the Elo difference with its 95% error margin, and every forfeit,
# illegal move, loss on time and crash of either side. Exits 1 when KrelinChess forfeited, refused
# a legal move, lost on time or crashed, or the match did not finish; 0 otherwise.
#
#   tools/match.sh [-n GAMES] [-tc MIN:SEC] [-inc SEC] [-p POSITIONS] [-e ENGINE] [-hash N]
#                  [-ponder] [-proto xboard|uci] [-gui xboard] [-keep DIR] OPPONENT [ARGS...]
#
#   tools/match.sh -n 20 -tc 0:30 -inc 0.3 phalanx -l-
#   tools/match.sh -n 4 -tc 0:10 -inc 0.1 -proto uci fairymax
#
# cutechess-cli is looked for in $CUTECHESS, on the PATH and in ~/.cache/cutechess/build; -gui
# xboard plays under xboard even then. xboard needs xvfb-run (Debian packages xboard, xvfb);
# /usr/games is searched for engines.
set -u
here=$(cd "$(dirname "$0")" && pwd)
games=20
tc=0:30
inc=0.3
positions="$here/openings.fen"
engine="$here/../build/release/krelin"
hash=8
ponder=false
keep=""
proto=xboard
gui=""

usage() {
  sed -n '9,14p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}
while [ $# -gt 0 ]; do
  case "$1" in
    -n) games="$2"; shift 2 ;;
    -tc) tc="$2"; shift 2 ;;
    -inc) inc="$2"; shift 2 ;;
    -p) positions="$2"; shift 2 ;;
    -e) engine="$2"; shift 2 ;;
    -hash) hash="$2"; shift 2 ;;
    -ponder) ponder=true; shift ;;
    -keep) keep="$2"; shift 2 ;;
    -proto) proto="$2"; shift 2 ;;
    -gui) gui="$2"; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "match.sh: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || usage
[[ "$games" =~ ^[1-9][0-9]*$ ]] || { echo "match.sh: -n wants a number of games" >&2; exit 2; }
[[ "$tc" =~ ^[0-9]+(:[0-9]+)?$ ]] || { echo "match.sh: -tc wants MIN or MIN:SEC" >&2; exit 2; }
[[ "$inc" =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "match.sh: -inc wants seconds" >&2; exit 2; }
[[ "$proto" =~ ^(xboard|uci)$ ]] || { echo "match.sh: -proto wants xboard or uci" >&2; exit 2; }
opponent="$*"

export PATH="$PATH:/usr/games"
cutechess=""
if [ "$gui" != xboard ]; then
  for candidate in "${CUTECHESS:-}" "$(command -v cutechess-cli)" "$HOME/.cache/cutechess/build/cutechess-cli"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { cutechess="$candidate"; break; }
  done
fi
if [ -z "$cutechess" ]; then
  [ "$proto" = xboard ] || { echo "match.sh: -proto uci needs cutechess-cli (../shared/tools/build-cutechess.sh)" >&2; exit 2; }
  for tool in xboard xvfb-run; do
    command -v "$tool" > /dev/null 2>&1 || { echo "match.sh: $tool is not installed" >&2; exit 2; }
  done
fi
[ -x "$engine" ] || { echo "match.sh: no engine at $engine (build it with make)" >&2; exit 2; }
[ -r "$positions" ] || { echo "match.sh: cannot read $positions" >&2; exit 2; }
engine=$(realpath "$engine")
positions=$(realpath "$positions")

if [ -n "$keep" ]; then
  mkdir -p "$keep" && dir=$(realpath "$keep")
else
  dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-match-XXXXXX")
  trap 'rm -rf "$dir"' EXIT
fi
rm -f "$dir/games.pgn" "$dir/debug.txt"
# The engine's own directory: its settings and no opening books, so that the positions decide.
mkdir -p "$dir/engine"
printf 'HASH=%s\nQUIT=0\nKIBS=0\nCLOG=0\n' "$hash" > "$dir/engine/krelininit.txt"

# Each game lasts at most the two clocks, their increments over a long game and some slack.
minutes=${tc%%:*}
seconds=0
[[ "$tc" == *:* ]] && seconds=${tc#*:}
limit=$(awk -v g="$games" -v m="$minutes" -v s="$seconds" -v i="$inc" 'BEGIN { printf "%d", g * (2 * (60 * m + s) + 2 * 150 * i + 60) + 120 }')

ponderFlag=-xponder
[ "$ponder" = true ] && ponderFlag=-ponder
if [ -n "$cutechess" ]; then
  echo "KrelinChess ($engine, $proto) against $opponent: $games games, $tc + $inc s, pondering $ponder, positions $positions, cutechess-cli"
  set -- $opponent
  opponentCommand=(cmd="$1" proto=xboard dir="$dir")
  shift
  for word in "$@"; do opponentCommand+=(arg="$word"); done
  eachPonder=()
  [ "$ponder" = true ] && eachPonder=(ponder)
  # An engine that goes silent past its clock loses on time; cutechess gives no grace beyond a margin.
  timeout "$limit" "$cutechess" -engine name=KrelinChess cmd="$engine" dir="$dir/engine" proto="$proto" \
    -engine "${opponentCommand[@]}" -each tc="$((60 * minutes + seconds))+$inc" timemargin=100 "${eachPonder[@]}" \
    -openings file="$positions" format=epd order=sequential -repeat -games 2 -rounds $(((games + 1) / 2)) \
    -pgnout "$dir/games.pgn" -debug > "$dir/debug.txt" 2>&1
  status=$?
  grep -E '^(Score of|Elo difference)' "$dir/debug.txt" | sed 's/^/cutechess-cli: /'
else
  echo "KrelinChess ($engine) against $opponent: $games games, $tc + $inc s, pondering $ponder, positions $positions"
  timeout "$limit" xvfb-run -a xboard -fcp "$engine" -fd "$dir/engine" -scp "$opponent" -sd "$dir" \
    -mg "$games" -lpf "$positions" -lpi -2 -tc "$tc" -inc "$inc" -autoCallFlag true "$ponderFlag" \
    -noGUI -xexit -saveSettingsOnExit false -sgf "$dir/games.pgn" \
    -debug -nameOfDebugFile "$dir/debug.txt" > "$dir/xboard.out" 2>&1
  status=$?
fi
touch "$dir/xboard.out"

touch "$dir/games.pgn"
# One line a game: white, black, result, how it ended. The engine's name is KrelinChess.
awk '
  /^\[White / { white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white) }
  /^\[Black / { black = $0; sub(/^\[Black "/, "", black); sub(/"\]$/, "", black) }
  /^\[Result / { result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result) }
  /\{[^}]*\} *(1-0|0-1|1\/2-1\/2|\*) *$/ { how = $0; sub(/^.*\{/, "", how); sub(/\}.*$/, "", how) }
  /^\[Termination / { how = $0; sub(/^\[Termination "/, "", how); sub(/"\]$/, "", how) }
  /^\[Event / && white != "" { print white "\t" black "\t" result "\t" how; how = "" }
  END { if (white != "") print white "\t" black "\t" result "\t" how }
' "$dir/games.pgn" > "$dir/games.tsv"

awk -F'\t' -v status="$status" '
  function elo(s) { return -400 * log(1 / s - 1) / log(10) }
  {
    n++
    krelinWhite = ($1 ~ /KrelinChess/)
    krelinBlack = ($2 ~ /KrelinChess/)
    printf "%3d  %-28s %-28s %-7s %s\n", n, $1, $2, $3, $4
    if ($3 == "1-0") points = krelinWhite ? 1 : 0
    else if ($3 == "0-1") points = krelinBlack ? 1 : 0
    else if ($3 == "1/2-1/2") points = 0.5
    else { unfinished++; next }
    played++; sum += points; squares += points * points
    if (points == 1) wins++
    else if (points == 0.5) draws++
    else losses++
    how = tolower($4)
    krelinLost = (points == 0)
    if (how ~ /forfeit|invalid move|illegal/) { problems[++p] = "game " n ": " $4; if (krelinLost) bad = 1 }
    else if (how ~ /on time|time forfeit|flag/) { problems[++p] = "game " n ": " $4; if (krelinLost) bad = 1 }
    else if (how ~ /crash|exited|died|terminated|disconnect/) { problems[++p] = "game " n ": " $4; if (krelinLost) bad = 1 }
  }
  END {
    printf "KrelinChess: +%d =%d -%d", wins, draws, losses
    if (played > 0) {
      s = sum / played
      printf ", %.1f/%d (%.1f%%)\n", sum, played, 100 * s
      sd = sqrt((squares / played - s * s) / played)
      lo = s - 1.96 * sd; hi = s + 1.96 * sd
      if (s <= 0 || s >= 1) {
        sweep = "below -800"
        if (s >= 1) sweep = "above +800"
        printf "Elo difference: %s (a clean sweep: no estimate)\n", sweep
      } else {
        if (lo <= 0) lo = 0.0001
        if (hi >= 1) hi = 0.9999
        printf "Elo difference: %+.0f +- %.0f (95%%)\n", elo(s), (elo(hi) - elo(lo)) / 2
      }
    } else {
      printf ", no finished game\n"
    }
    if (unfinished > 0) printf "games without a result: %d\n", unfinished
    for (i = 1; i <= p; i++) print "problem: " problems[i]
    if (p == 0) print "problems: none in the results"
    exit bad ? 1 : 0
  }
' "$dir/games.tsv"
verdict=$?

# What the results cannot show: the engine refusing a legal move, protocol errors, crashes.
# (xboard's log names the engine "first", cutechess-cli's by its name.)
refusals='<(first :|KrelinChess\([0-9]+\):) *(Illegal move|info string illegal)'
if grep -Eq "$refusals" "$dir/debug.txt" 2>/dev/null; then
  echo "problem: KrelinChess refused a move as illegal:"
  grep -E "$refusals" "$dir/debug.txt" | head -5
  verdict=1
fi
if grep -Eq '<(first :|KrelinChess\([0-9]+\):) *Error' "$dir/debug.txt" 2>/dev/null; then
  echo "problem: KrelinChess reported a protocol error:"
  grep -E '<(first :|KrelinChess\([0-9]+\):) *Error' "$dir/debug.txt" | head -5
  verdict=1
fi
if grep -Eqi 'exited unexpectedly|crashed|died|terminated on signal' "$dir/debug.txt" "$dir/xboard.out" 2>/dev/null; then
  echo "problem: an engine crashed:"
  grep -Ehi 'exited unexpectedly|crashed|died|terminated on signal' "$dir/debug.txt" "$dir/xboard.out" | head -5
  verdict=1
fi
finished=$(awk -F'\t' '$3 != "*" && $3 != ""' "$dir/games.tsv" | wc -l)
if [ "$status" -ne 0 ] || [ "$finished" -lt "$games" ]; then
  echo "problem: the match did not finish ($finished of $games games, xboard status $status)"
  grep -v -e ALSA -e aplay "$dir/xboard.out" 2>/dev/null | tail -5
  verdict=1
fi
[ -n "$keep" ] && echo "games and logs: $dir"
exit "$verdict"
