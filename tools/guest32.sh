#!/usr/bin/env bash
# The 32-bit route where this machine cannot execute 32-bit x86 code: a Debian guest with 32-bit
# Wine under full-system emulation (qemu, no KVM), sharing this checkout at its own path.
#   tools/guest32.sh image          makes the guest's image, once per machine and package list
#   tools/guest32.sh run LIMIT CMD  boots the guest, runs CMD (a command line for bash, from the
#                                   checkout's root) in it, shows its output, and exits with its
#                                   status; fails naming the step when the guest does not boot,
#                                   or CMD runs past LIMIT seconds
#   tools/guest32.sh cleanup        leaves nothing of a stopped image step behind
# The image is kept in $QIMAPI_GUEST_CACHE (/var/tmp/qimapi-guest32 unless set), outside the
# work tree; every boot starts from it afresh (snapshot=on). Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=${QIMAPI_GUEST_CACHE:-/var/tmp/qimapi-guest32}
work=$root/build/guest32            # on the share: the job, its status, the guest's console
mirror=http://deb.debian.org/debian

say() { echo "guest32: $*"; }
fail() { say "FAILED: $*"; exit 1; }

# The image is named by what goes into it, so a changed package list or init makes a new one.
image_key() {
    { tools/setup.sh list; sed -n '/^make_root()/,/^}/p' "$0"; cat tools/guest32-init.sh; } |
        sha256sum | cut -c1-12
}

# binfmt entry that runs i386 programs through qemu-i386-static, for the i386 package scripts
# in the chroot only: left registered, it would also catch the WoW64 parts of 64-bit Wine here.
# A marker in the cache tells that the entry is this script's, so that only that one is removed.
i386_binfmt() {
    local entry=/proc/sys/fs/binfmt_misc/qemu-i386 marker=$cache/binfmt-registered
    if [ "$1" = on ]; then
        [ -e /proc/sys/fs/binfmt_misc/register ] ||
            mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
        [ -e "$entry" ] && return 0
        touch "$marker"
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > /proc/sys/fs/binfmt_misc/register
    elif [ -e "$marker" ]; then
        [ -e "$entry" ] && echo -1 > "$entry"
        rm -f "$marker"
    fi
}

# After an image step that was stopped: no binfmt entry or chroot mount of this script's is left.
cleanup() {
    local rootfs
    i386_binfmt off
    for rootfs in "$cache"/*/rootfs; do [ -d "$rootfs" ] && chroot_mounts off "$rootfs"; done
    return 0
}

chroot_mounts() {                   # $1 = on or off, $2 = root folder
    local folder
    if [ "$1" = on ]; then
        mount -t proc proc "$2/proc"
        mount -t sysfs sysfs "$2/sys"
        mount --bind /dev "$2/dev"
        mount -t devpts devpts "$2/dev/pts"
    else
        for folder in dev/pts dev sys proc; do umount -l "$2/$folder" 2>/dev/null || true; done
    fi
}

# Debian with its own kernel, a small initramfs that finds the root on virtio, the test
# packages (i386 Wine, fonts, the compilers), and the guest's init.
make_root() {                       # $1 = root folder
    local rootfs=$1
    debootstrap --variant=minbase --arch=amd64 \
        --include=ca-certificates,procps,kmod,udev,initramfs-tools,zstd bookworm "$rootfs" "$mirror"
    cp /etc/apt/sources.list.d/debian.sources "$rootfs/etc/apt/sources.list.d/" 2>/dev/null ||
        cp /etc/apt/sources.list "$rootfs/etc/apt/"
    echo MODULES=list > "$rootfs/etc/initramfs-tools/conf.d/qimapi"
    printf '%s\n' virtio_pci virtio_blk ext4 9p 9pnet_virtio >> "$rootfs/etc/initramfs-tools/modules"
    chroot_mounts on "$rootfs"
    chroot "$rootfs" dpkg --add-architecture i386
    chroot "$rootfs" apt-get update -q
    i386_binfmt on
    chroot "$rootfs" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        linux-image-amd64 $(tools/setup.sh list) </dev/null
    i386_binfmt off
    chroot "$rootfs" apt-get clean
    chroot_mounts off "$rootfs"
    install -m 755 tools/guest32-init.sh "$rootfs/sbin/qimapi-init"
}

image() {
    local key dir start rootfs
    key=$(image_key)
    dir=$cache/$key
    mkdir -p "$cache"
    exec 9>"$cache/lock"          # one image step at a time on this machine, from any checkout
    flock 9
    if [ -f "$dir/ready" ]; then
        say "image $dir is ready"
        return 0
    fi
    tools/setup.sh guest
    if [ ! -f "$dir/root.made" ]; then
        say "making the image in $dir (once per machine)"
        start=$SECONDS
        rm -rf "$dir"
        mkdir -p "$dir"
        rootfs=$dir/rootfs
        trap 'cleanup' EXIT
        make_root "$rootfs" > "$dir/make.log" 2>&1 ||
            { tail -30 "$dir/make.log"; fail "image: making the root failed (see $dir/make.log)"; }
        cp "$rootfs"/boot/vmlinuz-* "$dir/vmlinuz"
        cp "$rootfs"/boot/initrd.img-* "$dir/initrd.img"
        truncate -s 8G "$dir/root.img"
        mkfs.ext4 -q -F -L guest32 -d "$rootfs" "$dir/root.img" || fail "image: mkfs.ext4 failed"
        rm -rf "$rootfs"
        trap - EXIT
        touch "$dir/root.made"
        say "image took $((SECONDS - start)) s"
    fi
    # A fresh 32-bit prefix kept in the image: each run copies it instead of making its own.
    start=$SECONDS
    GUEST32_WRITABLE=1 boot 1800 "tools/guest32.sh prefix-in-guest" ||
        fail "prefix: the guest could not make the Wine prefix"
    say "prefix template took $((SECONDS - start)) s"
    touch "$dir/ready"
}

# In the guest, while the image is made: a fresh win32 prefix at /var/lib/qimapi/prefix.
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
    trap "exit 130" INT TERM
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

case "${1:-}" in
    image) image ;;
    cleanup) cleanup ;;
    run) boot "$2" "$3" ;;
    prefix-in-guest) prefix_in_guest ;;
    *) echo "usage: tools/guest32.sh image | run LIMIT COMMAND" >&2; exit 2 ;;
esac
