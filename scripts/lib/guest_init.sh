#!/bin/busybox sh
# The guest's first process: loads the HID and 9p modules, mounts the host's root read-only with
# the run folder writable at the same path, and runs the cases inside it. Powers off at the end,
# whatever happened, so the host never waits for a guest that has nothing left to do.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
. /guest.env
for module in $modules; do
    insmod "/lib/modules/$module.ko" || echo "guest: setup: FAIL (module $module would not load)"
done
if mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144 hostroot /host; then
    for d in proc sys dev; do mount --rbind "/$d" "/host/$d"; done
    # The guest's /tmp is its own; a tree that lives under the host's /tmp is kept in view.
    case $root in
        /tmp/*)
            mkdir -p /tree
            mount --bind "/host$root" /tree
            mount -t tmpfs tmp /host/tmp
            mkdir -p "/host$root"
            mount --bind /tree "/host$root"
            ;;
        *) mount -t tmpfs tmp /host/tmp ;;
    esac
    mount -t tmpfs run /host/run
    mkdir -p /host/dev/shm && mount -t tmpfs shm /host/dev/shm
    # The Wine prefix made on the host, read-only, with the guest's changes in memory on top.
    layers=/host/tmp/wine-layers
    mkdir -p $layers/lower $layers/upper $layers/work /host/tmp/wine-prefix
    mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144,cache=loose wineprefix $layers/lower &&
        mount -t overlay overlay -o lowerdir=$layers/lower,upperdir=$layers/upper,workdir=$layers/work \
            /host/tmp/wine-prefix || echo "guest: setup: FAIL (the Wine prefix could not be mounted)"
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 run "/host$run" &&
        chroot /host /bin/bash "$root/tests/guest/guest_cases.sh" "$root" "$run" $cases
else
    echo "guest: setup: FAIL (the host's root could not be mounted)"
fi
sync
poweroff -f
