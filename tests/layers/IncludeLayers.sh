#!/usr/bin/env bash
# The include graph of the engine's folders keeps its layers: board <- eval <- search <- driver,
# with book beside the search (the search may read the book, never the other way round) and the
# test suites reached from the driver. A file pair (Name.h with Name.cpp) is one node; no chain of
# includes may lead from a pair back to itself, inside a folder or across folders.
#
#   IncludeLayers.sh SOURCE_DIR [FOLDER...]   exits 1 and names every wrong include and every
#                                             circle; circles inside a FOLDER named are told only
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"
shift || true
toldOnly=" $* "

folders="board eval search book testsuite driver"
rank() {
  case "$1" in
    board) echo 0 ;;
    eval) echo 1 ;;
    search | book) echo 2 ;;
    testsuite) echo 3 ;;
    driver) echo 4 ;;
    *) echo 99 ;;
  esac
}

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
failures=0

# One edge "from to" per project include, between pairs (folder/Name without the extension).
for folder in $folders; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    from="${file%.*}"
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" | while read -r included; do
      to="${included%.*}"
      [ "$to" = "$from" ] && continue
      echo "$from $to"
    done
  done
done | sort -u >"$edges"

# A lower layer never includes a higher one, and book and search do not reach each other
# upwards: only search -> book.
while read -r from to; do
  a="${from%%/*}" b="${to%%/*}"
  [ "$a" = "$b" ] && continue
  ra=$(rank "$a") rb=$(rank "$b")
  if [ "$rb" -gt "$ra" ] || { [ "$a" = book ] && [ "$b" = search ]; }; then
    echo "layer: $from includes $to"
    failures=$((failures + 1))
  fi
done <"$edges"

# Circles: a depth-first walk from every pair, over the pair graph.
circles=$(awk '
  { next_of[$1] = next_of[$1] " " $2; nodes[$1] = 1; nodes[$2] = 1 }
  function walk(node, path,    n, list, i, target) {
    state[node] = 1
    n = split(next_of[node], list, " ")
    for (i = 1; i <= n; i++) {
      target = list[i]
      if (state[target] == 1) print "circle: " path " -> " target
      else if (state[target] == 0) walk(target, path " -> " target)
    }
    state[node] = 2
  }
  END { for (node in nodes) if (state[node] == 0) walk(node, node) }
' "$edges")
# A circle stays inside one folder once the layers hold; it is named by the pair it closes on.
while read -r line; do
  [ -n "$line" ] || continue
  closing="${line##* -> }"
  if [[ "$toldOnly" == *" ${closing%%/*} "* ]]; then
    echo "told only, $line"
  else
    echo "$line"
    failures=$((failures + 1))
  fi
done <<<"$circles"

edgeCount=$(wc -l <"$edges")
echo "$edgeCount includes between pairs checked: $failures wrong"
[ "$failures" -eq 0 ]
