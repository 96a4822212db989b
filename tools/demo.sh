#!/usr/bin/env bash
# The demonstration behind `make run`: a virtual sign on a free loopback port,
# a demonstration document sent to it with send-all, then the text directory
# and the memory information read back. Needs no display.
set -euo pipefail
BIN=${1:-build/bin}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/lumavox-demo.XXXXXX")
SIM_PID=
cleanup() {
    if [ -n "$SIM_PID" ]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT
# The demonstration keeps its settings apart from the user's own.
export LUMAVOX_CONFIG_DIR="$WORK/config"
export LUMAVOX_HOME="$(cd "$BIN" && pwd)"

say() { printf '\n== %s\n' "$*"; }

say "Starting the virtual sign (signsim) at addresses 1 and 3 on a free loopback port"
"$BIN/signsim" --tcp 0 --address 1,3 --log "$WORK/conversation.jsonl" >"$WORK/signsim.out" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do
    grep -q '^LISTEN' "$WORK/signsim.out" 2>/dev/null && break
    sleep 0.05
done
LISTEN=$(head -1 "$WORK/signsim.out")
echo "$LISTEN"
PORT=${LISTEN##*:}
LINK="tcp:127.0.0.1:$PORT"

say "Writing the demonstration document"
"$BIN/lumavox-cli" demo "$WORK/demo.glm"

say "lumavox-cli send-all: graphics (with 'Clear all memory' in front), text files and the schedule, to signs 1 and 3"
"$BIN/lumavox-cli" send-all "$WORK/demo.glm" --link "$LINK" --address 1,3

say "lumavox-cli read-text-dir: the text files sign 1 now holds (name and size in bytes)"
"$BIN/lumavox-cli" read-text-dir --link "$LINK" --address 1

say "lumavox-cli read-memory: how much of sign 1's memory is used"
"$BIN/lumavox-cli" read-memory --link "$LINK" --address 1

say "What crossed the line, as the sign saw it (one line per frame or handshake)"
if [ -s "$WORK/conversation.jsonl" ]; then
    sed -n \
        -e 's/.*"dir":"rx","kind":"frame","address":\([0-9]*\),"seq":\([0-9]*\).*"command":"\([^"]*\)","bytes":\([0-9]*\).*/  PC   -> sign \1  frame #\2: \3 (\4 bytes on the line)/p' \
        -e 's/.*"dir":"tx","kind":"frame","address":\([0-9]*\),"seq":\([0-9]*\).*"bytes":\([0-9]*\).*/  sign \1 -> PC    reply frame #\2 (\3 bytes on the line)/p' \
        -e 's/.*"dir":"tx","kind":"handshake".*/  sign   -> PC    handshake FA FA FA (frame received)/p' \
        -e 's/.*"dir":"rx","kind":"ack".*/  PC     -> sign  FA FA FA (reply frame received)/p' \
        "$WORK/conversation.jsonl"
fi

say "Stopping the virtual sign"
