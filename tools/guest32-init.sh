#!/bin/bash
# The emulated guest's first and only process (tools/guest32.sh copies it into the guest's image
# as /sbin/qimapi-init). It mounts the host's share at the host's own path, so that the absolute
# paths in a build folder hold here too, runs the one job the kernel line names, leaves its exit
# status beside it, and powers the guest off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
for folder in /dev/shm /tmp /run; do mount -t tmpfs tmpfs "$folder"; done
hostname guest32

for word in $(cat /proc/cmdline); do
    case $word in
        qimapi.share=*) share=${word#*=} ;;
        qimapi.job=*) job=${word#*=} ;;
    esac
done
mkdir -p "$share"
# cache=loose: with cache=mmap, programs started from the share crash at once.
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose share "$share"; then
    echo "guest: up, running $job"
    (cd "$share" && bash "$job")
    echo $? > "$share/${job%/*}/status"
    sync
    umount "$share"
else
    echo "guest: the share could not be mounted"
fi
echo o > /proc/sysrq-trigger
sleep 60
