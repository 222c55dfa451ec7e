#!/usr/bin/env bash
# Takes the pictures of what QIMAPI.dll shows a person (message boxes, the about box, a window
# before and after AddSysItems and RemoveSysItems) under Wine on a headless display, and writes
# them as PNG files into docs/images/, from where the README and the manual show them. Then it
# takes the reference manual as headless Chromium shows it, on a laptop's screen and a phone's,
# for the README.
#
# The pictures are taken in a Wine prefix of their own, which has Wine's own fonts (the tests'
# prefix has none): Tahoma for dialogs, Marlett for the symbols of caption buttons.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/setup.sh screenshots >&2
bin=$(tools/build.sh)/bin
session="$root/build/screenshots"
mkdir -p "$session"
ln -sfn "$root/$bin" "$session/bin"
captures=$(mktemp -d)
. tools/wine-session.sh
trap 'wine_session_stop; rm -rf "$captures"' EXIT
wine_session_start "$session"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
(cd "$bin" && $WINE screenshots.exe "Z:$captures" </dev/null)
mkdir -p docs/images
for capture in "$captures"/*.bmp; do
    picture="docs/images/$(basename "$capture" .bmp).png"
    bmptopnm "$capture" 2>/dev/null | pnmtopng -compression 9 2>/dev/null > "$picture"
    echo "$picture"
done

# The manual, built with everything above. (Headless Chromium draws nothing for an address with
# a fragment, so the pictures show the page's top.)
manual="file://$root/build/doc/qimapi.html"
for shot in manual:1280,800 manual-phone:390,844; do
    profile=$(mktemp -d)
    picture="docs/images/${shot%%:*}.png"
    rm -f "$picture"
    chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
        --window-size="${shot#*:}" --virtual-time-budget=5000 --screenshot="$root/$picture" "$manual" \
        </dev/null >/dev/null 2>&1
    rm -rf "$profile"
    [ -s "$picture" ] || { echo "chromium took no picture of the manual" >&2; exit 1; }
    echo "$picture"
done
