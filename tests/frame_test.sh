#!/usr/bin/env bash
# Runs tst_form1's frame test on the virtual screen xvfb-run gives it, under
# the openbox window manager, which puts a frame (title bar and edges) around
# the window as a desktop's window manager does.
#
#   xvfb-run -a -s "-screen 0 640x480x24" tests/frame_test.sh TST_FORM1
set -uo pipefail
openbox >/dev/null 2>&1 &
wm=$!
# The window is shown once the window manager runs (it announces itself on the
# root window), so that it manages the window from its first map.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
"$1" frameFits
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $status
