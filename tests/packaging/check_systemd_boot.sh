#!/usr/bin/env bash
# The Debian package's systemd units run for real: systemd booted as the
# init of its own namespaces (PID, mount, cgroup, network, UTS, IPC) on an
# overlay of this machine's root whose writes go to memory, with the
# package unpacked into it. There, as an operator would, the checks in
# systemd_boot_checks.sh enable a station's timer and run its service:
# the sandbox lets the run write the station's folders and nothing else,
# and drop-ins change the user and widen the writable folders. The machine
# itself is left as it was.
#
# usage: tests/packaging/check_systemd_boot.sh PLOTMUF_DEB
# needs: root, overlayfs, util-linux (unshare), systemd, dpkg; a kernel and
# cgroup file systems that let a nested systemd boot (cgroup v1, hybrid or
# v2). About 10 s.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 PLOTMUF_DEB" >&2
    exit 2
fi
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root" >&2; exit 2; }
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/plotmuf-boot.XXXXXX")
mkdir "$work/overlay" "$work/root" "$work/report"
cgroups=()
cleanup() {
    # Out of the cgroups made below, then each removed with what systemd
    # left in it, innermost first.
    local group
    for group in "${cgroups[@]}"; do
        echo $$ >"$group/../cgroup.procs"
        find "$group" -depth -type d -exec rmdir {} + 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# A cgroup of our own below the current one, in every hierarchy, so that
# the booted systemd, in a cgroup namespace rooted there, sees it as root.
while IFS=: read -r _ controllers path; do
    case $controllers in
        "") mount_point=$( [ "$(stat -fc %T /sys/fs/cgroup)" = cgroup2fs ] && echo /sys/fs/cgroup || echo /sys/fs/cgroup/unified) ;;
        name=*) mount_point=/sys/fs/cgroup/${controllers#name=} ;;
        *) mount_point=/sys/fs/cgroup/$controllers ;;
    esac
    [ -d "$mount_point" ] || continue
    group=$mount_point${path%/}/plotmuf-boot-$$
    mkdir "$group"
    cgroups+=("$group")
    if [ -f "$group/cpuset.cpus" ]; then  # cgroup v1 cpuset: empty until given
        cat "$group/../cpuset.cpus" >"$group/cpuset.cpus"
        cat "$group/../cpuset.mems" >"$group/cpuset.mems"
    fi
    echo $$ >"$group/cgroup.procs"
done <<<"$(cat /proc/self/cgroup)"  # read whole first: joining a cgroup changes it

export PLOTMUF_BOOT_WORK=$work PLOTMUF_BOOT_DEB=$deb PLOTMUF_BOOT_CHECKS=$here/systemd_boot_checks.sh
# --kill-child: if the boot hangs, the timeout ends the namespaces' init
# and with it every process in them.
timeout 120 unshare --kill-child=SIGKILL --cgroup --mount --pid --fork --net --uts --ipc --propagation private \
    "$here/systemd_boot_init.sh" >"$work/boot.log" 2>&1 || true

if [ ! -f "$work/report/done" ]; then
    echo "FAIL: the booted systemd did not finish the checks; its log:" >&2
    tail -40 "$work/boot.log" >&2
    [ ! -f "$work/report/log" ] || cat "$work/report/log" >&2
    exit 1
fi
if [ -s "$work/report/failures" ]; then
    cat "$work/report/failures" >&2
    echo "--- what the checks ran:" >&2
    cat "$work/report/log" >&2
    echo "$(wc -l <"$work/report/failures") check(s) under a booted systemd failed" >&2
    exit 1
fi
echo "systemd units under a booted systemd: all checks passed"
