#!/bin/sh
# Runs a program on a virtual X display of 1024 x 768 in true colour. Exits 77 (the test counts as
# skipped) when a tool the comparison needs is not installed.
for tool in xvfb-run xdotool xwd convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed; the SDL-against-headless comparison needs xvfb-run," \
             "xdotool, xwd and ImageMagick's convert (packages xvfb, xdotool, x11-apps, imagemagick)"
        exit 77
    fi
done
# A loaded machine can make the X server hand xdotool a window that is already gone (BadWindow)
# before the test window is mapped; such a run says so and is tried once more on a new display.
xvfb-run -a -s "-screen 0 1024x768x24" "$@" && exit 0
echo "xvfb check: first run failed, trying once more on a new display"
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
