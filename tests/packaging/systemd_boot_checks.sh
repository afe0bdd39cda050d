# shellcheck shell=bash disable=SC2015
# Run by check_systemd_boot.sh under the booted systemd, as root and outside
# any sandbox, with the package unpacked: what an operator does with the
# units, and what the service's sandbox lets a run write. Failures go to
# /report/failures; /report/done says that every check ran. Powers the
# booted system off at the end. "check && check || fail" means "fail unless
# both hold".
exec 2>&1
set -x

fail() { echo "FAIL: $*" >>/report/failures; }
instance() { echo "plotmuf@$(systemd-escape --path "$1")"; }
property() { systemctl show --value -p "$2" "$1"; }
charts() { (cd "$1" && find . -name '*.gif' | sort); }

# station FOLDER: a copy of the packaged example station in FOLDER.
station() {
    mkdir -p "$1"
    cp -r /usr/share/doc/plotmuf/example/. "$1/"
}

# run FOLDER STATUS: the service of station FOLDER started once; its run
# must end with exit status STATUS.
run() {
    local unit
    unit=$(instance "$1").service
    systemctl start "$unit"
    [ "$(property "$unit" ExecMainStatus)" = "$2" ] ||
        fail "$unit: exit status $(property "$unit" ExecMainStatus), not $2: $(journalctl -u "$unit" -o cat --no-pager | tail -3)"
}

# same_as_unconfined FOLDER: the station's twelve charts, byte for byte
# those of plotmuf run outside any sandbox on a copy of the example.
same_as_unconfined() {
    rm -rf /tmp/reference
    station /tmp/reference
    (cd /tmp/reference && /usr/bin/plotmuf) || fail "the unconfined run: status $?"
    [ "$(charts "$1")" = "$(charts /tmp/reference)" ] && [ "$(charts "$1" | wc -l)" -eq 12 ] ||
        fail "$1: charts $(charts "$1" | tr '\n' ' ')"
    local file
    for file in $(charts /tmp/reference); do
        cmp -s "$1/$file" "/tmp/reference/$file" || fail "$1/$file differs from the unconfined run's"
    done
    [ -z "$(find "$1" -name '*.bmp' -o -name '.*.tmp')" ] || fail "$1: scratch or temporary files left"
}

# 1. A station scheduled with the one command of the manual: the timer is
# enabled and waits for the next quarter hour; its service, started now,
# writes the station's charts.
station /srv/station
systemctl enable --now "$(instance /srv/station).timer" || fail "systemctl enable --now: status $?"
[ "$(systemctl is-enabled plotmuf@srv-station.timer)" = enabled ] || fail "the timer is not enabled"
[ "$(systemctl is-active plotmuf@srv-station.timer)" = active ] || fail "the timer is not active"
next=$(property plotmuf@srv-station.timer NextElapseUSecRealtime)
[[ "$next" =~ [0-9]{2}:(00|15|30|45):00 ]] || fail "the timer's next run: '$next'"
run /srv/station 0
same_as_unconfined /srv/station

# 2. A station folder with a blank in its name, and one below /home (read-
# only for the service, but for the station folder itself).
station "/srv/ionosonde roma"
run "/srv/ionosonde roma" 0
same_as_unconfined "/srv/ionosonde roma"
station /home/meteo/station
run /home/meteo/station 0
same_as_unconfined /home/meteo/station

# 3. A station that publishes outside /srv and /var fails to write there,
# and writes there once a drop-in makes the folder writable.
station /srv/other
mkdir /opt/web
printf 'Other\r\nprevisioni\\\r\nSoundings\r\nautoscalati\\\r\nFigures\r\n/opt/web/\r\n' >/srv/other/Quorel_RAV3000I2.ini
run /srv/other 1
[ -z "$(ls -A /opt/web)" ] || fail "/opt/web written without the drop-in: $(ls -A /opt/web)"
journalctl -u plotmuf@srv-other.service -o cat --no-pager | grep -q 'Read-only file system' ||
    fail "plotmuf@srv-other.service: no 'Read-only file system' in the journal"
mkdir /etc/systemd/system/plotmuf@srv-other.service.d
printf '[Service]\nReadWritePaths=/opt/web\n' >/etc/systemd/system/plotmuf@srv-other.service.d/web.conf
systemctl daemon-reload
run /srv/other 0
[ "$(charts /opt/web)" = "$(printf './plotMUF%d.gif\n' 1 2 3 4 5 6)" ] || fail "/opt/web after the drop-in: $(charts /opt/web | tr '\n' ' ')"

# 4. A station whose folders belong to another user: root writes them by
# default; a drop-in with User= runs the service as that user, and UMask=
# gives the group write permission.
station /srv/station2
useradd --system --no-create-home --user-group meteo
chown -R meteo:meteo /srv/station2
chmod -R go-w /srv/station2
run /srv/station2 0
mkdir /etc/systemd/system/plotmuf@srv-station2.service.d
printf '[Service]\nUser=meteo\nGroup=meteo\nUMask=0002\n' >/etc/systemd/system/plotmuf@srv-station2.service.d/user.conf
systemctl daemon-reload
run /srv/station2 0
[ "$(property plotmuf@srv-station2.service User)" = meteo ] || fail "plotmuf@srv-station2.service: User= not meteo"
owners=$(find /srv/station2 -name '*.gif' -printf '%u:%g %M\n' | sort -u)
[ "$owners" = "meteo:meteo -rw-rw-r--" ] || fail "/srv/station2's charts: $owners"

# 5. The run's figures for Prometheus through node_exporter's textfile
# collector, with the drop-in of the manual: written whole by the
# sandboxed service, which needs no ReadWritePaths= below /var. The
# folder is root's, as Debian's prometheus-node-exporter makes it.
textfiles=/var/lib/prometheus/node-exporter
mkdir -p "$textfiles" /etc/systemd/system/plotmuf@srv-station.service.d
chmod 0755 "$textfiles"
printf '[Service]\nExecStart=\nExecStart=/usr/bin/plotmuf --verbose --archive-page --metrics %s/plotmuf-station.prom\n' \
    "$textfiles" >/etc/systemd/system/plotmuf@srv-station.service.d/options.conf
systemctl daemon-reload
run /srv/station 0
grep -qx 'plotmuf_charts_exported{folder="/srv/station"} 6' "$textfiles/plotmuf-station.prom" ||
    fail "$textfiles/plotmuf-station.prom: $(head -c 300 "$textfiles/plotmuf-station.prom" 2>&1)"
[ -f /srv/station/previsioni/previous_RAV3000I2_plots/index.html ] || fail "/srv/station: no archive page"
[ -z "$(find "$textfiles" -name '.*.tmp')" ] || fail "$textfiles: temporary files left"

# The same as the user meteo (the drop-in of step 4): its runs fail at the
# metrics until the manual's command lets its group add files to the
# folder; the sticky bit keeps root's file there out of its reach.
printf '[Service]\nExecStart=\nExecStart=/usr/bin/plotmuf --verbose --metrics %s/plotmuf-station2.prom\n' \
    "$textfiles" >/etc/systemd/system/plotmuf@srv-station2.service.d/options.conf
systemctl daemon-reload
run /srv/station2 1
journalctl -u plotmuf@srv-station2.service -o cat --no-pager | grep -q 'metrics: .*Permission denied' ||
    fail "plotmuf@srv-station2.service: no 'metrics: ... Permission denied' in the journal"
dpkg-statoverride --update --add root meteo 1775 "$textfiles" || fail "dpkg-statoverride: status $?"
before=$(sha256sum "$textfiles/plotmuf-station.prom")
run /srv/station2 0
[ "$(stat -c %U "$textfiles/plotmuf-station2.prom" 2>&1)" = meteo ] ||
    fail "$textfiles/plotmuf-station2.prom: $(ls -l "$textfiles" 2>&1)"
su -s /bin/sh meteo -c "rm -f $textfiles/plotmuf-station.prom" 2>/dev/null
[ "$(sha256sum "$textfiles/plotmuf-station.prom")" = "$before" ] || fail "$textfiles/plotmuf-station.prom: meteo could change root's file"

# 6. A station unscheduled with the manual's command.
systemctl disable --now plotmuf@srv-station.timer || fail "systemctl disable --now: status $?"
[ "$(systemctl is-enabled plotmuf@srv-station.timer)" = disabled ] || fail "the timer is still enabled"
[ "$(systemctl is-active plotmuf@srv-station.timer)" = inactive ] || fail "the timer is still active"

touch /report/done
# SIGRTMIN+4: systemd powers off, which in a container ends it.
kill -s RTMIN+4 1
