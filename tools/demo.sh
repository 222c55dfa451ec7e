#!/usr/bin/env bash
# Builds QIMAPI and shows it at work: the command-line host lists the functions the DLL
# describes, then runs the demo script under Wine on a headless display.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(tools/build.sh)/bin
. tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$PWD/${bin%/bin}"
[ "$WINEARCH" = win32 ] || echo "(This machine cannot run 32-bit code: showing the 64-bit build of the same sources.)"
cd "$bin"
echo "== qimhost list"
$WINE qimhost.exe list </dev/null
echo
echo "== qimhost help SetWindowState"
$WINE qimhost.exe help SetWindowState </dev/null
echo
echo "== qimhost run demo.qim"
$WINE qimhost.exe run demo.qim </dev/null
