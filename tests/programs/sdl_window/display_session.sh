# Shell functions for tests that drive a bound program's SDL window on a virtual X display
# (sourced by the scripts that run under xvfb-run). Each prints "FAIL NAME: ..." and ends the
# script with status 1 when the program does not behave.

# find_named_window TITLE NAME PID: sets $window to the program's visible window of that title,
# waiting up to 60 s (this machine can stall for many seconds).
find_named_window() {
    window=""
    tries=0
    while [ -z "$window" ] && [ $tries -lt 600 ]; do
        window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] || sleep 0.1
        tries=$((tries + 1))
    done
    [ -n "$window" ] || { echo "FAIL $2: no window \"$1\" appeared"; kill "$3"; exit 1; }
}

# find_window NAME PID: sets $window to the program's default window.
find_window() {
    find_named_window "Quillet BASIC Amber Edition" "$1" "$2"
}

# focus_and_type KEY...: gives $window the focus (without a window manager it is given directly)
# and types the keys.
focus_and_type() {
    xdotool windowfocus --sync "$window" 2>/dev/null
    [ $# -eq 0 ] || xdotool key --delay 100 "$@"
}

# type_until_exit NAME PID STDERR: types a key into $window once a second until the program
# ends (at most 20 keys) and requires exit status 0.
type_until_exit() {
    tries=0
    while kill -0 "$2" 2>/dev/null && [ $tries -lt 20 ]; do
        # Without a window manager the focus is given directly.
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key a
        sleep 1
        tries=$((tries + 1))
    done
    if kill -0 "$2" 2>/dev/null; then
        echo "FAIL $1: the program kept waiting after keys were typed"
        kill "$2"
        exit 1
    fi
    wait "$2"
    status=$?
    [ "$status" = 0 ] || { echo "FAIL $1: exit status $status"; cat "$3"; exit 1; }
}
