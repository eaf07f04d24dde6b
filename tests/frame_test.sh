#!/usr/bin/env bash
# Runs tst_form1's frame test on the virtual screen xvfb-run gives it, under
# the openbox window manager, which puts a frame (title bar and edges) around
# the window as a desktop's window manager does.
#
#   xvfb-run -a -s "-screen 0 640x480x24" tests/frame_test.sh TST_FORM1
set -uo pipefail
openbox >/dev/null 2>&1 &
wm=$!
# The window is shown once the window manager runs (it lists what it supports on the
# root window), so that it manages the window from its first map.
managed=0
for _ in $(seq 300); do
  if xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_FRAME_EXTENTS; then
    managed=1
    break
  fi
  sleep 0.1
done
if [[ $managed -ne 1 ]]; then
  echo "FAIL: openbox did not start on $DISPLAY" >&2
  exit 1
fi
"$1" frameFits
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $status
