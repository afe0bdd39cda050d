#!/usr/bin/env bash
# The init of the namespaces of check_systemd_boot.sh: makes the root that
# systemd boots (an overlay of / whose writes go to memory, with the
# package unpacked in it and the checks' own units) and starts systemd
# there, to reach plotmuf-boot-checks.target and nothing else.
set -euo pipefail
work=$PLOTMUF_BOOT_WORK
root=$work/root

mount -t tmpfs tmpfs "$work/overlay"
mkdir "$work/overlay/upper" "$work/overlay/work"
mount -t overlay overlay -o "lowerdir=/,upperdir=$work/overlay/upper,workdir=$work/overlay/work" "$root"
mount -t proc proc "$root/proc"
# Read-only, as for any container: no udev of the host's devices.
mount -t sysfs -o ro sysfs "$root/sys"
if [ "$(stat -fc %T /sys/fs/cgroup)" = cgroup2fs ]; then
    mount -t cgroup2 cgroup2 "$root/sys/fs/cgroup"
else
    # Each hierarchy mounted afresh inside the cgroup namespace, so that its
    # root is the cgroup made for this boot.
    mount -t tmpfs -o mode=755 tmpfs "$root/sys/fs/cgroup"
    while IFS=: read -r _ controllers _; do
        case $controllers in
            "") mkdir "$root/sys/fs/cgroup/unified" && mount -t cgroup2 cgroup2 "$root/sys/fs/cgroup/unified" ;;
            name=*) mkdir "$root/sys/fs/cgroup/${controllers#name=}" &&
                mount -t cgroup -o "none,$controllers" cgroup "$root/sys/fs/cgroup/${controllers#name=}" ;;
            *) mkdir "$root/sys/fs/cgroup/$controllers" &&
                mount -t cgroup -o "$controllers" cgroup "$root/sys/fs/cgroup/$controllers" ;;
        esac
    done </proc/self/cgroup
fi
mount --rbind /dev "$root/dev"
mount -t tmpfs tmpfs "$root/run"
mount -t tmpfs tmpfs "$root/tmp"
mkdir -p "$root/report"
mount --bind "$work/report" "$root/report"

dpkg-deb -x "$PLOTMUF_BOOT_DEB" "$root"
cp "$PLOTMUF_BOOT_CHECKS" "$root/report/checks.sh"
cat >"$root/etc/systemd/system/plotmuf-boot-checks.target" <<'UNIT'
[Unit]
Description=plotmuf's checks under a booted systemd
Wants=systemd-journald.service plotmuf-boot-checks.service
UNIT
cat >"$root/etc/systemd/system/plotmuf-boot-checks.service" <<'UNIT'
[Unit]
Description=plotmuf's checks under a booted systemd
After=systemd-journald.service

[Service]
Type=oneshot
ExecStart=/bin/bash /report/checks.sh
StandardOutput=file:/report/log
StandardError=inherit
UNIT
echo plotmuf-boot >"$root/etc/hostname"

export container=plotmuf-boot
exec chroot "$root" /lib/systemd/systemd --system --unit=plotmuf-boot-checks.target --log-target=console --log-level=warning
