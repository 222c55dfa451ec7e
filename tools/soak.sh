#!/usr/bin/env bash
# Builds QIMAPI and its soak, then calls every export that runs unattended many times under Wine
# on a headless display and shows what the process kept: kernel handles, GDI and USER objects,
# private bytes, heap blocks. Prints a row per export and a last line "k/n exports kept nothing";
# fails when an export kept something. Arguments go to soak.exe: --calls N (10000 unless given).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/wine-session.sh
wine_session_for_build
cd "$bin"
$WINE soak.exe "$@" </dev/null
