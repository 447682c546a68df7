#!/usr/bin/env bash
# Runs a command against a private Xvfb server started for it, and stops the server afterwards.
# The server takes the first free display itself and names it (-displayfd), so that runs started
# at the same moment each get their own. LIMBRADO_XVFB_SCREEN sets the screen (width x height x
# depth; 1280x1024x24 unless set).
set -u
number=$(mktemp)
log=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${LIMBRADO_XVFB_SCREEN:-1280x1024x24}" -noreset -nolisten tcp 3>"$number" >"$log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -f "$number" "$log"' EXIT
until grep -q . "$number"; do
    kill -0 $server 2>/dev/null || { cat "$log" >&2; echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
export DISPLAY=":$(head -n 1 "$number")"
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=1
"$@"
