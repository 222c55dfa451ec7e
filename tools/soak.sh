#!/usr/bin/env bash
# Builds QIMAPI and its soak, then calls every export that runs unattended many times under Wine
# on a headless display and shows what the process kept: kernel handles, GDI and USER objects,
# private bytes, heap blocks. Prints a row per export and a last line "k/n exports kept nothing";
# fails when an export kept something. Arguments go to soak.exe: --calls N (10000 unless given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$(tools/build.sh)/bin
. tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/${bin%/bin}"
cd "$bin"
$WINE soak.exe "$@" </dev/null
