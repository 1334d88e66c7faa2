#!/usr/bin/env bash
# Starts the real viewer on a sample pass in a virtual X display, takes a screenshot of the
# screen and checks that footprint colours of the thermal ramp are on it; then saves the pass
# unattended with a legend (kept beside the screenshot as NAME-legend.jpg, to be looked at).
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

# The same pass saved unattended (FILE and a second argument) with the viridis palette, once
# without and once with "Legend in saved pictures": the legend adds a strip below the map, as
# wide as it, whose colour bar runs from viridis's dark purple to its yellow.
mkdir -p "$work/config/Brenmoor"
cp "$sample" "$work/pass.l1b"
saved() {
    printf '{"Software": {"Brenmoor": {"Veltra": {"Palette": 1, "LegendInPictures": %d}}}}\n' \
        "$1" >"$work/config/Brenmoor/registry.json"
    rm -f "$work/pass.l1b.jpg"
    xvfb-run -a -s "-screen 0 1024x768x24" "$viewer" "$work/pass.l1b" save >/dev/null 2>&1
    cp "$work/pass.l1b.jpg" "$work/legend$1.jpg"
    identify -format '%w %h\n' "$work/legend$1.jpg"
}
read -r width height < <(saved 0)
read -r legendWidth legendHeight < <(saved 1)
echo "saved picture ${width}x${height}, with its legend ${legendWidth}x${legendHeight}"
[ "$legendWidth" -eq "$width" ] && [ "$legendHeight" -gt $((height + 30)) ]
cp "$work/legend1.jpg" "${shot%.png}-legend.jpg"
# Count the strip's pixels near viridis's two ends (the JPEG blurs them a little).
ends=$(convert "$work/legend1.jpg" -crop "${width}x$((legendHeight - height))+0+$height" \
    -format %c histogram:info:- | awk '
    function byte(h) { return (index("0123456789abcdef", substr(h, 1, 1)) - 1) * 16 + \
                              index("0123456789abcdef", substr(h, 2, 1)) - 1 }
    match($0, /#[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]/) {
        hex = tolower(substr($0, RSTART + 1, 6)); split($0, f, ":")
        r = byte(substr(hex, 1, 2)); g = byte(substr(hex, 3, 2)); b = byte(substr(hex, 5, 2))
        if (r < 110 && g < 40 && b > 50 && b < 130) purple += f[1]
        if (r > 210 && g > 190 && b < 110) yellow += f[1]
    }
    END { print purple + 0, yellow + 0 }')
echo "legend strip pixels near viridis purple and yellow: $ends"
read -r purple yellow <<<"$ends"
[ "$purple" -gt 20 ] && [ "$yellow" -gt 20 ]

# The footprint panel, opened (setting FootprintSpectrum) and following the mouse over the
# swath: its chart marks the channel shown in red among the other channels' blue points. The
# screenshot is kept beside the first as NAME-footprint.png, to be looked at.
printf '{"Software": {"Brenmoor": {"Veltra": {"FootprintSpectrum": 1}}}}\n' \
    >"$work/config/Brenmoor/registry.json"
panel=${shot%.png}-footprint.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$0" "$1" &
    pid=$!
    sleep 5
    for at in "300 300" "302 303" "290 320"; do xdotool mousemove $at; sleep 0.3; done
    sleep 1
    import -window root "$2"
    kill $pid
    wait $pid 2>/dev/null || true
' "$viewer" "$sample" "$panel"
marks=$(convert "$panel" -crop 400x768+624+0 -format %c histogram:info:- | awk '
    function byte(h) { return (index("0123456789abcdef", substr(h, 1, 1)) - 1) * 16 + \
                              index("0123456789abcdef", substr(h, 2, 1)) - 1 }
    match($0, /#[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]/) {
        hex = tolower(substr($0, RSTART + 1, 6)); split($0, f, ":")
        r = byte(substr(hex, 1, 2)); g = byte(substr(hex, 3, 2)); b = byte(substr(hex, 5, 2))
        if (r >= 200 && r <= 235 && g >= 25 && g <= 60 && b >= 15 && b <= 50) red += f[1]
        if (r >= 25 && r <= 60 && g >= 75 && g <= 105 && b >= 185 && b <= 215) blue += f[1]
    }
    END { print red + 0, blue + 0 }')
echo "footprint panel: pixels of the shown channel's mark and of the others': $marks"
read -r red blue <<<"$marks"
[ "$red" -gt 30 ] && [ "$blue" -gt 300 ]
