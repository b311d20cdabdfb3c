#!/usr/bin/env bash
# The engine as a user installs it: `cmake --install` into a temporary prefix lays out the program,
# its data, the manual page and xboard's plug-in file; the installed engine, started in a folder of
# its own, finds its data and answers a move from its book; in a folder where it cannot write its
# log it plays all the same and says so once; the manual renders without a warning; the Debian
# package holds the same files and needs nothing but the C and C++ runtimes; uninstalling leaves no
# file behind. Usage: InstallTest.sh BUILD_DIR SOURCE_DIR
set -u
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
. "$source_dir/tests/support/EngineTalk.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/krelin-install-XXXXXX")
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
prefix="$dir/prefix"
talk_in_folder "$dir"

cmake --install "$build" --prefix "$prefix" > "$dir/install.out" || fail "cmake --install failed"
files="games/krelin games/krelin-dev share/krelin/krelininit.txt share/krelin/KrelinWhite.bk
  share/krelin/KrelinBlack.bk share/man/man6/krelin.6.gz share/games/plugins/xboard/krelin.eng"
for file in $files; do [ -f "$prefix/$file" ] || fail "$file is not installed"; done
# Debian's plug-in files: the format line, the command that starts the engine, the variant.
eng="$prefix/share/games/plugins/xboard/krelin.eng"
cmp -s "$eng" "$source_dir/dist/krelin.eng" && [ "$(sed -n '1s/ .*//p;2p;3p' "$eng" | tr '\n' ' ')" = "plugin krelin chess " ] ||
  fail "the xboard plug-in file is not in Debian's format"

# From a folder without a configuration: the installed data directory serves, books included.
mkdir "$dir/home"
engine_start "$dir/home" "$prefix/games/krelin"
engine_handshake || fail "handshake: $(cat "$talk_log")"
engine_send new "level 0 1 0" "time 6000" "usermove e2e4"
engine_expect "move " 30 || fail "no move to e2e4: $(tail -3 "$talk_log")"
grep -q '(book' "$talk_log" || fail "the installed books were not used: $(tail -3 "$talk_log")"
engine_send quit
engine_close 10 || fail "the engine did not end on quit"
[ -s "$talk_err" ] && fail "unexpected standard error: $(cat "$talk_err")"

# A folder whose log cannot be written (root writes anywhere: there the log's name is a folder).
mkdir -p "$dir/readonly/conlogbestand.txt"
printf 'HASH=1\nCLOG=1\n' > "$dir/readonly/krelininit.txt"
chmod a-w "$dir/readonly"
engine_start "$dir/readonly" "$prefix/games/krelin"
engine_handshake || fail "handshake without a log: $(cat "$talk_log")"
engine_send new "level 0 1 0" "time 3000" "usermove d2d4"
engine_expect "move " 60 || fail "no move without a log: $(tail -3 "$talk_log")"
engine_send "usermove c2c4"
engine_expect "move " 60 || fail "no second move without a log: $(tail -3 "$talk_log")"
engine_send quit
engine_close 10 || fail "the engine without a log did not end on quit"
[ "$(grep -c 'conlogbestand.txt' "$talk_err")" = 1 ] ||
  fail "the unwritable log was not told once on standard error: $(cat "$talk_err")"

manual="$prefix/share/man/man6/krelin.6.gz"
MANWIDTH=80 man --warnings -l "$manual" > "$dir/manual.txt" 2> "$dir/manual.err" || fail "man -l failed"
[ -s "$dir/manual.err" ] && fail "the manual page has warnings: $(head -3 "$dir/manual.err")"
for text in "krelin-dev" "HASH=n" "krelininit.txt" "xboard -fcp krelin" "/NIEUWSPEL"; do
  grep -qF -- "$text" "$dir/manual.txt" || fail "the rendered manual does not mention $text"
done

if command -v dpkg-deb > /dev/null; then
  (cd "$build" && cpack -G DEB -B "$dir/package" > "$dir/cpack.out" 2>&1) || fail "cpack failed: $(tail -3 "$dir/cpack.out")"
  deb=$(ls "$dir"/package/krelin_*.deb 2> /dev/null | head -1)
  if [ -n "$deb" ]; then
    dpkg-deb -f "$deb" Package Section Depends > "$dir/control.txt"
    grep -qx 'Package: krelin' "$dir/control.txt" && grep -qx 'Section: games' "$dir/control.txt" ||
      fail "package fields: $(cat "$dir/control.txt")"
    depends=$(sed -n 's/^Depends: //p' "$dir/control.txt" | tr ',' '\n' | sed 's/ *(.*//; s/^ *//' | sort | tr '\n' ' ')
    # A sanitizer build needs the sanitizers' runtimes as well.
    grep -q '^KRELIN_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && depends=$(echo "$depends" | sed 's/libasan[0-9]* //; s/libubsan[0-9]* //')
    [ "$depends" = "libc6 libgcc-s1 libstdc++6 " ] || fail "the package depends on more than the runtimes: $depends"
    dpkg-deb -c "$deb" | awk '{print $6}' > "$dir/contents.txt"
    for file in $files; do grep -qx "./usr/$file" "$dir/contents.txt" || fail "the package lacks /usr/$file"; done
  else
    fail "cpack made no .deb: $(tail -3 "$dir/cpack.out")"
  fi
else
  echo "dpkg-deb is not installed: the Debian package is not checked"
fi

cmake -DMANIFEST="$build/krelin_installed.txt" -P "$source_dir/cmake/Uninstall.cmake" > "$dir/uninstall.out" ||
  fail "uninstall failed"
left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./games ./share ./share/man " ] || fail "uninstall left behind: $left"

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "installed, played from another folder and without its log, manual rendered, package checked, uninstalled"
