#!/usr/bin/env bash
# The emulated guest's image step on this machine, with its slow parts (debootstrap, the guest's
# boot) replaced: whatever an earlier step left or this one meets, it never removes through a
# mount, shows no mount to the rest of the machine, and marks no half-made root as made.
#   guest_image_test.sh CASE    one of the cases below; exits 77 (skipped) in the emulated
#                               guest, which has no image step, and where not root
set -euo pipefail
case=$1
checkout=$(cd "$(dirname "$0")/../.." && pwd)
[ -z "${QIMAPI_GUEST:-}" ] && [ "$(id -u)" = 0 ] || exit 77

scratch=$(mktemp -d)
export QIMAPI_GUEST_CACHE=$scratch/cache
holder=""
finish() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    wait 2>/dev/null || true
    awk -v below="$scratch/" 'index($2, below) == 1 { print $2 }' /proc/self/mounts | sort -r |
        while read -r mount; do umount -l "$mount"; done
    rm -rf --one-file-system "$scratch"
}
trap finish EXIT

# The image step of tools/guest32.sh, with this make_root in place of the real one.
write_step() {                          # $1 = body of make_root, run in the step's namespace
    cat > "$scratch/step.sh" <<STEP
. "$checkout/tools/guest32.sh"
make_root() {
    mkdir -p "\$1/boot" "\$1/dev"
    touch "\$1/boot/vmlinuz-stub" "\$1/boot/initrd.img-stub"
    $1
}
boot() { echo "booted: \$2"; }
if [ "\$1" = key ]; then image_key; else main "\$@"; fi
STEP
    dir=$QIMAPI_GUEST_CACHE/$(bash "$scratch/step.sh" key)   # the stub is part of the recipe
}
step() {
    write_step "$1"
    bash "$scratch/step.sh" image
}

fail() { echo "FAILED: $*"; exit 1; }

# Files of this machine's that a leftover bind mount below the image folder exposes.
mkdir -p "$scratch/precious"
echo kept > "$scratch/precious/file"
write_step true
leftover() {                            # a chroot mount of a step that was killed before it unmounted
    mkdir -p "$dir/rootfs/dev"
    mount --bind "$scratch/precious" "$dir/rootfs/dev"
}

case $case in
    LeftoverMountIsUnmountedNotEmptied)
        leftover
        step true > "$scratch/out" 2>&1 || { cat "$scratch/out"; fail "the image step failed"; }
        cat "$scratch/out"
        [ "$(cat "$scratch/precious/file")" = kept ] || fail "the step removed files through the mount"
        [ -f "$dir/ready" ] || fail "the step made no image"
        ;;
    BusyMountStopsTheRemoval)
        leftover
        sleep 600 < "$dir/rootfs/dev/file" &   # holds the mount: it cannot be unmounted
        holder=$!
        if step true > "$scratch/out" 2>&1; then fail "the step went on past a mount it could not remove"; fi
        grep -q "refusing to remove" "$scratch/out" || { cat "$scratch/out"; fail "no word of the refusal"; }
        [ "$(cat "$scratch/precious/file")" = kept ] || fail "the step removed files through the mount"
        ;;
    ChrootMountsAreTheStepsOwn)
        # The chroot's mounts, seen from outside while the step runs, and after it is stopped.
        write_step "mount --bind '$scratch/precious' \"\$1/dev\"; touch '$scratch/mounted'; sleep 600.25"
        bash "$scratch/step.sh" image > "$scratch/out" 2>&1 &
        stepper=$!
        for _ in $(seq 100); do [ -e "$scratch/mounted" ] && break; sleep 0.1; done
        [ -e "$scratch/mounted" ] || { cat "$scratch/out"; fail "the stubbed chroot step did not run"; }
        if grep -q " $dir/" /proc/self/mounts; then fail "the chroot's mount shows outside its step"; fi
        kill -TERM "$stepper"                # the step alone, not its process group
        for _ in $(seq 100); do kill -0 "$stepper" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$stepper" 2>/dev/null; then fail "the step did not stop within 10 s"; fi
        if pgrep -f "sleep 600.25" >/dev/null; then fail "the chroot step's processes outlived it"; fi
        grep -q "image: stopped" "$scratch/out" || { cat "$scratch/out"; fail "no word of the stop"; }
        [ "$(cat "$scratch/precious/file")" = kept ] || fail "the step removed files through the mount"
        ;;
    FailedChrootStepMakesNoRoot)
        if step "false; touch \"\$1/went-on\"" > "$scratch/out" 2>&1; then fail "a failed chroot step passed"; fi
        [ ! -e "$dir/root.made" ] || fail "a failed chroot step was marked as made"
        [ ! -e "$dir/rootfs/went-on" ] || fail "the chroot step went on after a step failed"
        grep -q "making the root failed" "$scratch/out" || { cat "$scratch/out"; fail "no word of the failure"; }
        ;;
    *) fail "no case $case" ;;
esac
echo "passed: $case"
