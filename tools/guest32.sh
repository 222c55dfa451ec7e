#!/usr/bin/env bash
# The 32-bit route where this machine cannot execute 32-bit x86 code: a Debian guest with 32-bit
# Wine under full-system emulation (qemu, no KVM), sharing this checkout at its own path.
#   tools/guest32.sh image          makes the guest's image, once per machine and recipe
#   tools/guest32.sh run LIMIT CMD  boots the guest, runs CMD (a command line for bash, from the
#                                   checkout's root) in it, shows its output, and exits with its
#                                   status; fails naming the step when the guest does not boot,
#                                   or CMD runs past LIMIT seconds
# The image is kept in $QIMAPI_GUEST_CACHE (/var/tmp/qimapi-guest32 unless set), outside the
# work tree; every boot starts from it afresh (snapshot=on). Needs root.
#
# Nothing of the image step is seen by the rest of the machine: the chroot and its mounts live in
# a mount and process namespace of their own, which the kernel takes down with the step however
# it ends, and the i386 packages are configured in the guest, whose kernel runs their i386
# programs, so that no binfmt entry is ever registered here.
set -euo pipefail
self=$(realpath "$0")               # the script to run the chroot step with (a test's own, in tests)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
cache=${QIMAPI_GUEST_CACHE:-/var/tmp/qimapi-guest32}
work=$root/build/guest32            # on the share: the job, its status, the guest's console
release=bookworm
mirror=http://deb.debian.org/debian

say() { echo "guest32: $*"; }
fail() { say "FAILED: $*"; exit 1; }

# The kernel line and -virtfs take these paths as one word each, unquoted.
for path in "$root" "$cache"; do
    case $path in
        *[[:space:],\"\']*) fail "the path '$path' holds a blank, a comma or a quote, which the guest's kernel line and share cannot carry: use a path without them" ;;
    esac
done

# What goes into the image, besides the package list and the guest's init: a change to any of
# these functions makes a new image.
image_recipe=(make_root chroot_mounts finish_in_guest prefix_in_guest)
wine_recipe=(wine_display_start wine_prefix_create)

image_key() {
    {
        tools/setup.sh list
        echo "$release $mirror"
        declare -f "${image_recipe[@]}"
        (. tools/wine-session.sh && declare -f "${wine_recipe[@]}")
        cat tools/guest32-init.sh
    } | sha256sum | cut -c1-12
}

mounts_below() {                    # $1 = folder; what is mounted below it, one a line
    awk -v below="$1/" 'index($2, below) == 1 { print $2 }' /proc/self/mounts
}

# Removes a folder of the cache, never through a mount: what is still mounted below it (left by a
# chroot step of an older version of this script) is unmounted first, and a mount that will not
# go stops the removal.
remove_tree() {                     # $1 = folder
    local folder mount
    [ -e "$1" ] || return 0
    folder=$(realpath "$1")
    for mount in $(mounts_below "$folder" | sort -r); do umount "$mount" 2>/dev/null || true; done
    mount=$(mounts_below "$folder" | head -1)
    [ -z "$mount" ] || fail "refusing to remove $folder: $mount is still mounted below it"
    rm -rf --one-file-system "$folder"
}

chroot_mounts() {                   # $1 = root folder; private to the chroot step's namespace
    mount -t proc proc "$1/proc"
    mount -t sysfs sysfs "$1/sys"
    mount --bind /dev "$1/dev"
    mount -t devpts devpts "$1/dev/pts"
}

# Debian with its own kernel, a small initramfs that finds the root on virtio, the guest's init,
# and the test packages (i386 Wine, fonts, the compilers) fetched, to be installed in the guest.
# Runs as a process of its own, so that set -e stops it at the first step that fails, inside
# the namespace that image makes for it.
make_root() {                       # $1 = root folder
    local rootfs=$1 packages
    packages=$(tools/setup.sh list)
    debootstrap --variant=minbase --arch=amd64 \
        --include=ca-certificates,procps,kmod,udev,initramfs-tools,zstd "$release" "$rootfs" "$mirror"
    printf 'deb %s %s main\n' "$mirror" "$release" "$mirror" "$release-updates" \
        http://deb.debian.org/debian-security "$release-security" > "$rootfs/etc/apt/sources.list"
    echo MODULES=list > "$rootfs/etc/initramfs-tools/conf.d/qimapi"
    printf '%s\n' virtio_pci virtio_blk ext4 9p 9pnet_virtio >> "$rootfs/etc/initramfs-tools/modules"
    chroot_mounts "$rootfs"
    chroot "$rootfs" dpkg --add-architecture i386
    chroot "$rootfs" apt-get update -q
    chroot "$rootfs" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends linux-image-amd64 </dev/null
    # shellcheck disable=SC2086  # one package a word
    chroot "$rootfs" apt-get install -y -q --no-install-recommends --download-only $packages </dev/null
    install -m 755 tools/guest32-init.sh "$rootfs/sbin/qimapi-init"
}

# In the guest, once, on the image itself: the fetched packages, then a fresh win32 prefix at
# /var/lib/qimapi/prefix that each run copies instead of making its own.
finish_in_guest() {
    local packages
    packages=$(tools/setup.sh list)
    echo "== packages"
    # shellcheck disable=SC2086  # one package a word
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends --no-download $packages
    apt-get clean
    prefix_in_guest
}

prefix_in_guest() {
    export WINEPREFIX=/var/lib/qimapi/prefix
    rm -rf "$WINEPREFIX"
    mkdir -p "${WINEPREFIX%/*}"
    . tools/wine-session.sh
    trap wine_session_stop EXIT
    echo "== display"
    wine_display_start
    echo "== prefix template"
    wine_prefix_create
    [ -f "$WINEPREFIX/user.reg" ] || fail "prefix: wineboot made no prefix"
}

image() {
    local key dir start chroot_step
    key=$(image_key)
    dir=$cache/$key
    mkdir -p "$cache"
    exec 9>"$cache/lock"          # one image step at a time on this machine, from any checkout
    flock 9
    if [ -f "$dir/ready" ]; then
        say "image $dir is ready"
        return 0
    fi
    # Stopped, the step ends its chroot step, whose namespace takes the chroot's mounts with it;
    # the half-made root is removed by the next step.
    chroot_step=""
    # (unshare ignores TERM while it waits; KILL reaches the namespace through --kill-child)
    trap 'say "image: stopped"; [ -z "$chroot_step" ] || kill -KILL "$chroot_step" 2>/dev/null; exit 130' INT TERM HUP
    if [ ! -f "$dir/root.made" ]; then
        say "making the image in $dir (once per machine)"
        start=$SECONDS
        remove_tree "$dir"
        mkdir -p "$dir"
        # Waited for in the background, so that a stop is handled at once.
        unshare --mount --propagation private --pid --kill-child \
            bash "$self" make-root "$dir/rootfs" > "$dir/make.log" 2>&1 &
        chroot_step=$!
        wait "$chroot_step" ||
            { tail -30 "$dir/make.log"; fail "image: making the root failed (see $dir/make.log)"; }
        chroot_step=""
        cp "$dir"/rootfs/boot/vmlinuz-* "$dir/vmlinuz"
        cp "$dir"/rootfs/boot/initrd.img-* "$dir/initrd.img"
        truncate -s 8G "$dir/root.img"
        mkfs.ext4 -q -F -L guest32 -d "$dir/rootfs" "$dir/root.img" || fail "image: mkfs.ext4 failed"
        remove_tree "$dir/rootfs"
        touch "$dir/root.made"
        say "root took $((SECONDS - start)) s"
    fi
    start=$SECONDS
    # This boot writes to the image: one that fails leaves it half-made, to be made anew.
    if ! (GUEST32_WRITABLE=1 boot 2700 "tools/guest32.sh finish-in-guest"); then
        rm -f "$dir/root.made"
        fail "image: the guest could not install its packages or make the Wine prefix"
    fi
    say "packages and prefix template in the guest took $((SECONDS - start)) s"
    touch "$dir/ready"
    trap - INT TERM HUP
}

# The guest's console, streamed to this output while it runs; stops with the guest.
stream_console() {                  # $1 = console file, $2 = qemu's process id
    tail -n +1 -F --pid="$2" "$1" 2>/dev/null | sed -u 's/\r$//; s/^/  | /'
}

boot() {                            # $1 = limit in seconds, $2 = command line
    local limit=$1 command=$2 dir snapshot=on qemu status booted="" start=$SECONDS step
    dir=$cache/$(image_key)
    [ -f "$dir/root.img" ] || fail "boot: no image in $dir (tools/guest32.sh image makes it)"
    [ -n "${GUEST32_WRITABLE:-}" ] && snapshot=off
    mkdir -p "$work"
    rm -f "$work/status" "$work/console.log"
    # Each run works on a copy of the prefix kept in the image. Emulation runs Wine 2-5 times
    # slower than this machine: the tests stretch their own time limits by QIMAPI_TIME_FACTOR
    # (and build.sh stretched build/'s CTest limits as much).
    cat > "$work/job.sh" <<JOB
# Neither end on the guest's serial console: on a terminal, Wine gives every program a console
# of its own (a conhost, which the launch tests would wait for as a child) and writes terminal
# escapes into the output.
exec </dev/null
if [ $snapshot = on ]; then
    echo '== prefix'
    start=\$SECONDS
    cp -a /var/lib/qimapi/prefix /root/prefix || exit 1
    echo "guest32: prefix copy took \$((SECONDS - start)) s"
    export QIMAPI_WINEPREFIX=/root/prefix
fi
export QIMAPI_GUEST=1 QIMAPI_TIME_FACTOR=5
{ $command; } 2>&1 | cat
exit \${PIPESTATUS[0]}
JOB
    qemu-system-x86_64 -M pc -accel tcg,thread=multi -cpu max,-smap -smp 2 -m 4096 \
        -nodefaults -no-user-config -display none -no-reboot -nic none \
        -kernel "$dir/vmlinuz" -initrd "$dir/initrd.img" \
        -append "root=/dev/vda rw console=ttyS0 quiet init=/sbin/qimapi-init panic=-1 qimapi.share=$root qimapi.job=build/guest32/job.sh" \
        -drive "file=$dir/root.img,if=virtio,format=raw,snapshot=$snapshot" \
        -virtfs "local,path=$root,mount_tag=share,security_model=none" \
        -serial "file:$work/console.log" &
    qemu=$!
    # The guest always goes down and the share with it, whatever happens here.
    trap "kill $qemu 2>/dev/null; wait $qemu 2>/dev/null" EXIT
    trap "exit 130" INT TERM HUP
    for _ in $(seq 50); do [ -e "$work/console.log" ] && break; sleep 0.1; done
    stream_console "$work/console.log" "$qemu" &
    while kill -0 "$qemu" 2>/dev/null; do
        if [ -z "$booted" ] && grep -q '^guest: ' "$work/console.log" 2>/dev/null; then
            booted=1
            say "boot took $((SECONDS - start)) s"
        fi
        if [ -z "$booted" ] && [ $((SECONDS - start)) -gt 300 ]; then
            kill "$qemu"
            fail "boot: the guest did not come up within 300 s"
        fi
        if [ $((SECONDS - start)) -gt "$limit" ]; then
            kill "$qemu"
            step=$(grep -a '^== ' "$work/console.log" | tail -1)
            fail "the guest's job ran past its limit of $limit s, in step: ${step:-before its first step}"
        fi
        sleep 1
    done
    wait "$qemu" || true
    wait
    trap - EXIT
    [ -n "$booted" ] || fail "boot: the guest did not come up (see $work/console.log)"
    [ -f "$work/status" ] || fail "the guest stopped before its job ended (see $work/console.log)"
    status=$(cat "$work/status")
    say "the guest's job took $((SECONDS - start)) s from boot to power-off"
    [ "$status" = 0 ] || say "FAILED: the job in the guest ended with status $status"
    return "$status"
}

main() {
    case "${1:-}" in
        image) image ;;
        run) boot "$2" "$3" ;;
        make-root) make_root "$2" ;;
        finish-in-guest) finish_in_guest ;;
        *) echo "usage: tools/guest32.sh image | run LIMIT COMMAND" >&2; exit 2 ;;
    esac
}

# Sourced, it only defines its functions (the tests of the image step replace the slow ones).
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; exit; fi
