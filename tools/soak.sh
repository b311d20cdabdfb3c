#!/usr/bin/env bash
# A soak: many bullet games of KrelinChess against Fairy-Max under cutechess-cli, pondering on, one
# engine process for the whole run. Reports the forfeits of KrelinChess (illegal moves, losses on
# time, crashes and stalls), the moves it refused as illegal, its protocol errors, and its resident
# memory at the start and at the end of the run (a leak across games shows there). Exits 1 when
# any of those happened or the run did not finish, 0 otherwise.
#
#   tools/soak.sh [-n GAMES] [-proto xboard|uci] [-tc SEC+INC] [-e ENGINE] [-hash N]
#                 [-p POSITIONS] [-keep DIR]
#
#   tools/soak.sh -n 20                   # 20 games, xboard protocol, 1 s + 0.01 s
#   tools/soak.sh -n 500 -proto uci
#
# Needs cutechess-cli (CUTECHESS, or the build of ../shared/tools/build-cutechess.sh) and fairymax
# (Debian package, in /usr/games). The engine plays without its opening books, from the positions
# of tools/openings.fen, each twice with the colours swapped.
set -u
here=$(cd "$(dirname "$0")" && pwd)
games=20
proto=xboard
tc=1+0.01
engine="$here/../build/release/krelin"
hash=8
positions="$here/openings.fen"
keep=""
cutechess=${CUTECHESS:-/root/.cache/cutechess/build/cutechess-cli}

usage() {
  sed -n '8,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}
while [ $# -gt 0 ]; do
  case "$1" in
    -n) games="$2"; shift 2 ;;
    -proto) proto="$2"; shift 2 ;;
    -tc) tc="$2"; shift 2 ;;
    -e) engine="$2"; shift 2 ;;
    -hash) hash="$2"; shift 2 ;;
    -p) positions="$2"; shift 2 ;;
    -keep) keep="$2"; shift 2 ;;
    -h|--help) usage ;;
    *) echo "soak.sh: unknown argument $1" >&2; usage ;;
  esac
done
[[ "$games" =~ ^[1-9][0-9]*$ ]] || { echo "soak.sh: -n wants a number of games" >&2; exit 2; }
[[ "$proto" =~ ^(xboard|uci)$ ]] || { echo "soak.sh: -proto wants xboard or uci" >&2; exit 2; }
[[ "$tc" =~ ^[0-9]+(\.[0-9]+)?\+[0-9]+(\.[0-9]+)?$ ]] || { echo "soak.sh: -tc wants SEC+INC" >&2; exit 2; }
[ -x "$cutechess" ] || { echo "soak.sh: no cutechess-cli at $cutechess (set CUTECHESS)" >&2; exit 2; }
[ -x /usr/games/fairymax ] || { echo "soak.sh: fairymax is not installed (apt-get install fairymax)" >&2; exit 2; }
[ -x "$engine" ] || { echo "soak.sh: no engine at $engine (build it with make)" >&2; exit 2; }
[ -r "$positions" ] || { echo "soak.sh: cannot read $positions" >&2; exit 2; }
engine=$(realpath "$engine")
positions=$(realpath "$positions")

if [ -n "$keep" ]; then
  mkdir -p "$keep" && dir=$(realpath "$keep")
else
  dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-soak-XXXXXX")
  trap 'rm -rf "$dir"' EXIT
fi
rm -f "$dir/games.pgn" "$dir/events.txt" "$dir/memory.txt"
# The engine's own directory: its settings and no opening books, so that the positions decide.
mkdir -p "$dir/engine"
printf 'HASH=%s\nQUIT=0\nKIBS=0\nCLOG=0\n' "$hash" > "$dir/engine/krelininit.txt"

# Resident memory of the engine's process, once a second while the run lasts: "seconds pid kB".
sample_memory() {
  local started=$SECONDS runner pid
  while kill -0 "$1" 2>/dev/null; do
    for runner in $(pgrep -P "$1"); do
      for pid in $(pgrep -P "$runner"); do
        [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$engine" ] || continue
        awk -v t=$((SECONDS - started)) -v p="$pid" '/^VmRSS:/ { print t, p, $2 }' "/proc/$pid/status" 2>/dev/null
      done
    done
    sleep 1
  done
}

echo "KrelinChess ($engine, $proto) against Fairy-Max: $games games, $tc s, pondering on"
# Each game lasts at most the two clocks and the increments of a long game, with slack.
limit=$(awk -v g="$games" -v tc="$tc" 'BEGIN { split(tc, t, "+"); printf "%d", g * (2 * t[1] + 300 * t[2] + 10) + 120 }')
# -debug shows every line both engines send; only what the report needs is kept.
(
  timeout "$limit" "$cutechess" \
    -engine name=KrelinChess cmd="$engine" dir="$dir/engine" proto="$proto" restart=off \
    -engine name=Fairy-Max cmd=/usr/games/fairymax proto=xboard \
    -each tc="$tc" ponder -games "$games" -repeat -openings file="$positions" format=epd order=sequential \
    -pgnout "$dir/games.pgn" -debug &
  echo $! > "$dir/timeout.pid"
  wait $!
  echo $? > "$dir/status"
) 2>&1 | grep -aE --line-buffered 'Started game|Finished game|KrelinChess.*(Illegal move|Error)|[Cc]rash|[Tt]erminated|[Ww]arning' \
  > "$dir/events.txt" &
while [ ! -s "$dir/timeout.pid" ]; do sleep 0.1; done
sample_memory "$(cat "$dir/timeout.pid")" > "$dir/memory.txt"
wait
status=$(cat "$dir/status" 2>/dev/null || echo 1)

# "Finished game 3 (KrelinChess vs Fairy-Max): 0-1 {White loses on time}": the engine is White when
# named first.
awk '
  /Finished game/ {
    finished++
    krelinWhite = ($0 ~ /\(KrelinChess vs /)
    result = $0; sub(/^.*\): /, "", result); reason = result; sub(/ .*$/, "", result)
    sub(/^[^{]*\{/, "", reason); sub(/\}.*$/, "", reason)
    lost = (krelinWhite && result == "0-1") || (!krelinWhite && result == "1-0")
    if (result == "1-0" || result == "0-1" || result == "1/2-1/2") {
      if (result == "1/2-1/2") draws++
      else if (lost) losses++
      else wins++
    }
    if (!lost) next
    how = tolower(reason)
    if (how ~ /illegal move/) illegal++
    else if (how ~ /on time/) time++
    else if (how ~ /disconnect|stall|crash|terminat/) crash++
    else if (how ~ /forfeit/) other++
    else next
    problems[++p] = "game " $3 ": " reason
  }
  /KrelinChess.*Illegal move/ { refused++; if (refused <= 5) refusals[refused] = $0 }
  /KrelinChess.*Error/ { errors++; if (errors <= 5) errorLines[errors] = $0 }
  END {
    printf "games finished: %d, KrelinChess +%d =%d -%d\n", finished, wins, draws, losses
    printf "forfeits: %d (illegal moves %d, losses on time %d, crashes and stalls %d, other %d)\n",
      illegal + time + crash + other, illegal, time, crash, other
    for (i = 1; i <= p; i++) print "  " problems[i]
    printf "moves refused as illegal: %d, protocol errors: %d\n", refused, errors
    for (i = 1; i <= refused && i <= 5; i++) print "  " refusals[i]
    for (i = 1; i <= errors && i <= 5; i++) print "  " errorLines[i]
  }
' "$dir/events.txt" > "$dir/report.txt"
cat "$dir/report.txt"

# Memory: the first and the last reading of the first and the last engine process.
awk '
  NR == 1 { firstPid = $2; first = $3 }
  { if ($3 > peak) peak = $3; lastPid = $2; last = $3; if (!($2 in seen)) { seen[$2] = 1; processes++ } }
  END {
    if (NR == 0) { print "resident memory: no reading"; exit }
    printf "resident memory: %d kB at the start, %d kB at the end, %d kB at most (%d engine process%s)\n",
      first, last, peak, processes, processes == 1 ? "" : "es"
  }
' "$dir/memory.txt"

verdict=0
grep -Eq '^forfeits: 0 ' "$dir/report.txt" || verdict=1
grep -Eq '^moves refused as illegal: 0, protocol errors: 0$' "$dir/report.txt" || verdict=1
finished=$(grep -c 'Finished game' "$dir/events.txt")
if [ "$status" -ne 0 ] || [ "$finished" -lt "$games" ]; then
  echo "problem: the run did not finish ($finished of $games games, cutechess-cli status $status)"
  verdict=1
fi
[ -n "$keep" ] && echo "games and events: $dir"
exit "$verdict"
