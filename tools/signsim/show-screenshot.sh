#!/usr/bin/env bash
# A picture of `signsim --show` playing a document sent to it:
#   show-screenshot.sh BIN_DIR DOC.glm OUT.png [SECONDS]
# Runs under whatever display there is (QT_QPA_PLATFORM=offscreen needs none).
set -euo pipefail
bin=$1 doc=$2 out=$3 wait=${4:-3}
fifo=$(mktemp -u)
mkfifo "$fifo"
"$bin/signsim" --tcp 0 --show --dot 5 --clock "2026-03-02 09:00" --screenshot "$out" >"$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r listen <"$fifo"
port=${listen##*:}
"$bin/lumavox-cli" send-all "$doc" --link "tcp:127.0.0.1:$port" --address 1 --quiet
sleep "$wait"
kill -TERM $sim
wait $sim
echo "wrote $out"
