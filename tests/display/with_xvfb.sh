#!/usr/bin/env bash
# Runs a command against a private Xvfb server started for it, and stops the server afterwards.
# LIMBRADO_XVFB_SCREEN sets the screen (width x height x depth; 1280x1024x24 unless set).
set -u
for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 "${LIMBRADO_XVFB_SCREEN:-1280x1024x24}" -noreset -nolisten tcp >/tmp/xvfb-$display.log 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT
for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
done
export DISPLAY=":$display"
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=1
"$@"
