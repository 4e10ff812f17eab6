#!/usr/bin/env bash
# End to end: starts the player under an X server of its own (no window manager), finds its main
# window, checks title, size, position and icon, opens a container through the real file
# dialog, dismisses the count message, opens the help window, takes screenshots, asks the
# window to close as a close box does, and expects exit code 0.
#
# usage: end_to_end.sh <kestrin> <close_window> [<screenshot of the main window after the scan>]
# Exits 77 (skipped) when the X tools are missing.
set -euo pipefail

for tool in Xvfb xdotool xwininfo xprop /usr/bin/import /usr/bin/identify; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

kestrin=$1
close_window=$2
screenshot=${3:-}

work=$(mktemp -d)
pid=
xvfb=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    # Waiting for the server to be gone keeps its display number from being taken again while
    # it still tears down its socket.
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Xvfb picks a free display number itself and writes it to the pipe once it accepts clients,
# so that parallel runs never race for the same number. Without -noreset the server resets
# whenever its last client disconnects, and a client connecting meanwhile is refused.
mkfifo "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
read -r number <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$number"
xdotool getdisplaygeometry >/dev/null || fail "cannot reach the X server on $DISPLAY"

# The player writes its files beside itself, so it runs from a copy in the scratch directory.
# It also starts there, where the file dialog opens first.
cp "$kestrin" "$work/kestrin"
unset QT_QPA_PLATFORM
(cd "$work" && exec ./kestrin) &
pid=$!

# Prints the id of the visible window whose title matches the pattern, once there is one.
wait_for_window() {
    local id=
    while [ -z "$id" ]; do
        kill -0 "$pid" 2>/dev/null || fail "the player ended while waiting for \"$1\""
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] || sleep 0.05
    done
    echo "$id"
}

# Keys typed through the X server go to the window with the input focus, so a dialog only
# hears them once the X server has given it the focus.
wait_for_focus() {
    while [ "$(xdotool getwindowfocus 2>/dev/null || true)" != "$1" ]; do
        kill -0 "$pid" 2>/dev/null || fail "the player ended while waiting for the focus"
        sleep 0.05
    done
}

wait_until_gone() {
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || fail "the player ended while \"$1\" was up"
        sleep 0.05
    done
}

main=$(wait_for_window '^Kestrin ASF Player$')

[ "$(xdotool getwindowname "$main")" = "Kestrin ASF Player" ] || fail "title"
info=$(xwininfo -id "$main")
field() { echo "$info" | sed -n "s/^ *$1: *//p"; }
[ "$(field Width)" = 314 ] || fail "client width $(field Width), expected 314"
[ "$(field Height)" = 210 ] || fail "client height $(field Height), expected 210"
# Without a window manager there is no frame: the client's corner is the outer corner.
[ "$(field 'Absolute upper-left X')" = 553 ] || fail "left $(field 'Absolute upper-left X')"
[ "$(field 'Absolute upper-left Y')" = 90 ] || fail "top $(field 'Absolute upper-left Y')"
icon=$(xprop -id "$main" _NET_WM_ICON)
case "$icon" in *"Icon (48 x 48)"*"Icon (32 x 32)"*"Icon (16 x 16)"*) ;; *) fail "the window's icon: $icon" ;; esac

/usr/bin/import -window "$main" "$work/started.png"
[ "$(/usr/bin/identify -format '%wx%h' "$work/started.png")" = 314x210 ] || fail "screenshot size"

# A container with three streams, opened through the file dialog: click "Open File", type the
# file's name into the dialog's name field, which has the focus, and confirm. The dialog shows
# the player's working directory, this one; a bare name is typed rather than a path because
# the dialog changes directory while a typed path passes a '/', and keys may go astray then.
{
    head -c 64 /dev/zero
    for size in 4000 12000 800; do
        printf 'SCHl'
        head -c "$size" /dev/zero | tr '\0' 'a'
        printf 'SCEl\x08'
    done
} >"$work/soundtrack.big"
xdotool mousemove --window "$main" 244 20 click 1
dialog=$(wait_for_window '^Open$')
wait_for_focus "$dialog"
xdotool type --delay 0 soundtrack.big
xdotool key Return
wait_until_gone '^Open$'

# The count message; OK has the focus.
box=$(wait_for_window '^Information$')
wait_for_focus "$box"
xdotool key Return
wait_until_gone '^Information$'

if [ -n "$screenshot" ]; then
    # Only for the picture: give the window its last repaint after the box went away.
    sleep 0.3
    /usr/bin/import -window "$main" "$screenshot"
fi

# While the help window is up, the main window is disabled and a close request to it is
# dropped: the help window closes, and the main window is still there afterwards.
xdotool mousemove --window "$main" 244 148 click 1
help=$(wait_for_window '^Help / Support$')
"$close_window" "$main" || fail "could not send the close request"
"$close_window" "$help" || fail "could not send the close request to the help window"
wait_until_gone '^Help / Support$'
kill -0 "$pid" 2>/dev/null || fail "the player ended on a close request sent while a modal window was up"
xdotool search --onlyvisible --name '^Kestrin ASF Player$' >/dev/null || fail "the main window went away"

"$close_window" "$main" || fail "could not send the close request"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 0 ] || fail "exit code $status, expected 0"
echo "PASS"
