# Shell helpers for the packaging tests: talk to the engine over pipes, as a GUI does. Source it,
# then:
#   talk_in_folder DIR            keep every line the engine writes, and its standard error, in DIR
#   fail TEXT                     report a failure and go on; failed is 1 from then on
#   engine_start DIR COMMAND...   start the engine in DIR
#   engine_send LINE...           send lines
#   engine_expect PREFIX SECONDS  read up to a line that starts with PREFIX (status 1: none came)
#   engine_handshake              xboard, protover 2 and exactly the ten feature lines
#   engine_close SECONDS          close its input and wait for its exit status (124: it hung)
talk_in_folder() {
  talk_log="$1/talk.txt"
  talk_err="$1/stderr.txt"
  failed=0
}

fail() {
  echo "FAIL: $*"
  failed=1
}

engine_start() {
  local dir="$1"
  shift
  : > "$talk_log"
  coproc ENGINE { cd "$dir" && exec "$@" 2> "$talk_err"; }
  # bash forgets ENGINE once the engine has ended: keep its descriptors and process id.
  talk_out=${ENGINE[0]} talk_in=${ENGINE[1]} talk_pid=$ENGINE_PID
}

engine_send() { printf '%s\n' "$@" >&"$talk_in"; }

engine_expect() {
  local prefix="$1" deadline=$((SECONDS + $2)) line
  while [ "$SECONDS" -lt "$deadline" ] && IFS= read -r -t $((deadline - SECONDS)) line <&"$talk_out"; do
    line="${line%$'\r'}"
    printf '%s\n' "$line" >> "$talk_log"
    [ "${line#"$prefix"}" != "$line" ] && return 0
  done
  return 1
}

engine_handshake() {
  local expected
  expected=$(printf '%s\n' 'feature done=0' 'feature myname="KrelinChess 070525"' 'feature san=0' \
    'feature usermove=1' 'feature analyze=0' 'feature setboard=1' 'feature reuse=1' 'feature sigterm=0' \
    'feature sigint=0' 'feature done=1')
  engine_send xboard "protover 2"
  engine_expect "feature done=1" 30 && [ "$(cat "$talk_log")" = "$expected" ]
}

engine_close() {
  local pid="$talk_pid" deadline=$((SECONDS + $1))
  eval "exec $talk_in>&-"
  while kill -0 "$pid" 2> /dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
  if kill -0 "$pid" 2> /dev/null; then
    kill "$pid"
    wait "$pid" 2> /dev/null
    return 124
  fi
  wait "$pid"
}
