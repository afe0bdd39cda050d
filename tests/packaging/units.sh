# shellcheck shell=bash
# Sourced by the checks of tests/packaging/.
#
#   verify_units [UNIT_FOLDER MAN_FOLDER]
#
# systemd-analyze verify on instances of plotmuf@.service and
# plotmuf@.timer: those of UNIT_FOLDER, with the manual page of MAN_FOLDER
# (verify checks that Documentation=man:plotmuf(1) is there), or without
# arguments those installed on the system. Two stations: one under /srv,
# and one whose folder name has a blank, which systemd-escape writes \x20.
# Passes only when verify reports nothing at all; prints what it reported.
verify_units() {
    local instances=() station output
    for station in /srv/station "/srv/ionosonde roma"; do
        instances+=("plotmuf@$(systemd-escape --path "$station").service"
            "plotmuf@$(systemd-escape --path "$station").timer")
    done
    if [ $# -eq 2 ]; then
        output=$(SYSTEMD_UNIT_PATH="$1:" MANPATH="$2" systemd-analyze verify "${instances[@]}" 2>&1) || true
    else
        output=$(systemd-analyze verify "${instances[@]}" 2>&1) || true
    fi
    [ -z "$output" ] && return 0
    echo "systemd-analyze verify: $output" >&2
    return 1
}
