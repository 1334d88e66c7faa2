#!/usr/bin/env bash
# Starts the real viewer on a sample pass in a virtual X display, takes a screenshot of the
# screen and checks that footprint colours of the thermal ramp are on it.
set -euo pipefail
viewer=$1
sample=$2
shot=${3:-$(mktemp --suffix=.png)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$0" "$1" &
    pid=$!
    sleep 5
    import -window root "$2"
    kill $pid
    wait $pid 2>/dev/null || true
' "$viewer" "$sample" "$shot"

# Pixels of strongly saturated, bright colours: the ramp between red and magenta. The window
# itself is grey, the outlines are grey, the background black.
saturated=$(convert "$shot" -format %c histogram:info:- | awk '
    function byte(h) { return (index("0123456789abcdef", substr(h, 1, 1)) - 1) * 16 + \
                              index("0123456789abcdef", substr(h, 2, 1)) - 1 }
    match($0, /#[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]/) {
        hex = tolower(substr($0, RSTART + 1, 6))
        r = byte(substr(hex, 1, 2)); g = byte(substr(hex, 3, 2)); b = byte(substr(hex, 5, 2))
        max = r; if (g > max) max = g; if (b > max) max = b
        min = r; if (g < min) min = g; if (b < min) min = b
        if (max >= 200 && max - min >= 150) { split($0, f, ":"); n += f[1] }
    }
    END { print n + 0 }')
echo "ramp-coloured pixels on the screenshot: $saturated"
[ "$saturated" -gt 5000 ]
