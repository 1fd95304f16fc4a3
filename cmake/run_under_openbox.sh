#!/bin/sh
# run_under_openbox.sh COMMAND [ARGUMENT...]
# Runs COMMAND on a private X server (Xvfb) managed by openbox, as on a
# desktop with a real window manager: focus, stacking and frames are the
# window manager's. Ends both afterwards and exits with COMMAND's status.
set -u

work=$(mktemp -d) || exit 1
xvfb=
wm=
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb picks a free display itself and names it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ] || ! kill -0 "$xvfb" 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.05
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

# openbox with its packaged settings only, whatever the user's. On a busy
# machine it has been seen to end before announcing itself: it gets three
# tries.
started=
for attempt in 1 2 3; do
    XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
    tries=0
    while kill -0 "$wm" 2>/dev/null && [ "$tries" -le 200 ]; do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            started=yes
            break 2
        fi
        tries=$((tries + 1))
        sleep 0.05
    done
    kill "$wm" 2>/dev/null
    wait "$wm"
    echo "openbox did not start on $DISPLAY (try $attempt, status $?):" >&2
    cat "$work/openbox.log" >&2
    wm=
done
[ -n "$started" ] || exit 1

"$@"
