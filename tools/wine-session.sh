# Sourced by the scripts in tools/: a headless display, a Wine prefix inside the build folder and
# a persistent Wine server, so that test programs start in a fraction of a second.
#
# QIMAPI.dll is 32-bit and is tested in a 32-bit prefix. Some virtual machines cannot execute
# 32-bit x86 code at all (no compatibility mode: every i386 binary fails with "Exec format
# error"); there the same sources are built as 64-bit programs and run in a 64-bit prefix, and
# the shipped 32-bit build runs in an emulated guest (guest32.sh).
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"   # no Mono or Gecko installers

# Whether this machine's kernel runs i386 programs itself: a 93-byte program of three instructions
# that waits, and what the kernel says it runs. A binfmt_misc entry (qemu-user) may run it too,
# but then the kernel runs the entry's interpreter, and 32-bit Wine through that takes minutes to
# start a program.
i386_runs_natively() {
    local probe pid exe=""
    probe=$(mktemp)
    # ELF header, one loadable segment at 0x08048000, then: mov eax, 29 (pause); int 0x80; jmp back
    printf '%b' '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0' '\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0' \
        '\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0' '\0\0\0\0' \
        '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0' \
        '\xb8\x1d\0\0\0\xcd\x80\xeb\xf7' > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null &
    pid=$!
    for _ in $(seq 100); do                      # until the exec has happened or failed
        exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || break
        [ "$exe" = "$(readlink -f "$BASH")" ] || break
        sleep 0.01
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -f "$probe"
    if [ "$exe" != "$probe" ] && [ -n "$exe" ] && [ "$exe" != "$(readlink -f "$BASH")" ]; then
        echo "wine-session: i386 programs run through $exe here (a binfmt_misc entry), not natively" >&2
    fi
    [ "$exe" = "$probe" ]
}

# QIMAPI_ROUTE=win64 (the 64-bit route alone) or QIMAPI_ROUTE=guest (the 64-bit route and the
# emulated 32-bit guest of guest32.sh) take these routes where 32-bit code would run, to check them.
if [ -z "${QIMAPI_ROUTE:-}" ] && i386_runs_natively && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export WINEARCH=win32 WINE=wine QIMAPI_TEST_TOOLCHAIN=cmake/mingw-i686.cmake
else
    export WINEARCH=win64 WINE=/usr/lib/wine/wine64 QIMAPI_TEST_TOOLCHAIN=cmake/mingw-x86_64.cmake
    export WINELOADER=$WINE
fi
# Where the 64-bit route is taken, the shipped 32-bit build also runs in the emulated guest of
# guest32.sh, unless QIMAPI_ROUTE=win64 asks for the 64-bit route alone.
QIMAPI_GUEST_ROUTE=""
if [ "$WINEARCH" = win64 ] && [ "${QIMAPI_ROUTE:-}" != win64 ]; then QIMAPI_GUEST_ROUTE=1; fi
# Beside the guest, whose two emulated processors take this machine's two cores, the tests here
# wait twice as long (and build.sh stretches build/x64's CTest limits as much).
[ -n "$QIMAPI_GUEST_ROUTE" ] && : "${QIMAPI_TIME_FACTOR:=2}"
export QIMAPI_TIME_FACTOR=${QIMAPI_TIME_FACTOR:-1}

wine_display_start() {            # a headless display of its own; sets DISPLAY
    local f
    f=$(mktemp)                   # Xvfb picks a free display and writes its number to fd 3
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$f" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1200); do [ -s "$f" ] && break; sleep 0.05; done   # 60 s under emulation
    export DISPLAY=":$(head -1 "$f")"
    rm -f "$f"
    [ "$DISPLAY" != : ] || { echo "wine-session: Xvfb did not start" >&2; return 1; }
}

wine_prefix_create() {            # a fresh prefix at $WINEPREFIX, unless it has one
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    $WINE wineboot -i </dev/null >/dev/null 2>&1
    # Unmanaged windows: without a window manager, hiding a managed window waits 2 s.
    printf '%s\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' \
        > "$WINEPREFIX/managed.reg"
    $WINE regedit /S "$WINEPREFIX/managed.reg" </dev/null >/dev/null 2>&1
    wineserver -w
}

# Test drives, one of each kind, mapped to folders of the build folder: a prefix made before they
# were added, or copied from elsewhere, gets them too. R: is a removable drive without a medium:
# its folder never exists.
wine_prefix_drives() {            # $1 = build folder
    local build=$1 drives=(d:cdrom e:hd f:hd m:ramdisk n:network r:floppy s:floppy) drive
    [ "$(readlink "$WINEPREFIX/dosdevices/s:")" = "$build/drives/s" ] && return 0
    for drive in "${drives[@]}"; do
        drive=${drive%%:*}
        [ "$drive" = r ] || mkdir -p "$build/drives/$drive"
        ln -sfn "$build/drives/$drive" "$WINEPREFIX/dosdevices/$drive:"
    done
    {
        printf '%s\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]'
        for drive in "${drives[@]}"; do printf '"%s:"="%s"\n' "${drive%%:*}" "${drive#*:}"; done
    } > "$build/drives.reg"
    $WINE regedit /S "$build/drives.reg" </dev/null >/dev/null 2>&1
    wineserver -w                 # drive kinds are read when the next server starts
}

# The prefix is $build/wineprefix, or QIMAPI_WINEPREFIX where that is set (the emulated guest
# keeps its prefix on its own disk, not on the share).
wine_session_start() {            # $1 = build folder; its bin/desktop_keeper.exe must be built
    local build=$1
    export WINEPREFIX="${QIMAPI_WINEPREFIX:-$build/wineprefix}"
    wine_display_start
    wine_prefix_create
    wine_prefix_drives "$build"
    wineserver -p                 # persistent; returns at once
    # The first process of a server starts Wine's services, which inherit its output: start
    # them from a process without pipes, or ctest waits for them.
    $WINE cmd /c exit </dev/null >/dev/null 2>&1
    local ready="$build/desktop.ready"
    rm -f "$ready"
    $WINE "$build/bin/desktop_keeper.exe" "Z:$ready" </dev/null >/dev/null 2>&1 &
    KEEPER_PID=$!
    for _ in $(seq $((600 * ${QIMAPI_TIME_FACTOR:-1}))); do [ -e "$ready" ] && break; sleep 0.1; done
    [ -e "$ready" ] || { echo "wine-session: the desktop keeper did not start" >&2; return 1; }
    rm -f "$ready"
}

# Also run from traps under set -e, after a stop may have ended the keeper or Xvfb already: no
# step may fail.
wine_session_stop() {
    [ -z "${KEEPER_PID:-}" ] || kill "$KEEPER_PID" 2>/dev/null || true
    wineserver -k 2>/dev/null || true   # ends this prefix's processes and writes its registry; fails when none runs
    [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
}

# For the tools that run one program of the build: builds everything, starts a session for the
# build that runs on this machine, to end when the script does, and sets bin to its program folder.
wine_session_for_build() {       # run from the repository's root
    bin=$PWD/$(tools/build.sh)/bin
    trap wine_session_stop EXIT
    wine_session_start "${bin%/bin}"
}
