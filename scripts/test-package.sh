#!/usr/bin/env bash
# test-package.sh [BUILD_DIR]: tries the Debian package the way a shop PC gets it.
#
# Builds the package (make package), installs it with apt-get into a minimal Debian 12 root
# (debootstrap minbase, made once and kept in $PKG_ROOT, default /tmp/pkg-bookworm), and
# checks it there: the desktop entry validates, the program starts the way the entry says
# (its Exec line with a program file, offscreen) and is still running after a few seconds,
# then ends cleanly on SIGTERM; quillonlt-cli --help and every man page work; the MIME type
# reached the system database. Last, apt-get purge must leave no file of the package behind
# and take the type out of the database again. Needs root and debootstrap; not part of
# `make test` (a first run downloads Debian and takes several minutes).
set -uo pipefail

build=${1:-build}
root=${PKG_ROOT:-/tmp/pkg-bookworm}
here=$(cd "$(dirname "$0")/.." && pwd)
id=org.quillonlt.QuillonLT
# How long the started program must stay up to count as running: past its start-up, the
# working directory, the settings and the file it was given.
startup_seconds=5
# How long it may take to end on SIGTERM: write its window places and settings, remove its lock.
stop_seconds=10

[ "$(id -u)" -eq 0 ] || { echo "test-package.sh needs root (chroot, apt-get)"; exit 2; }
command -v debootstrap >/dev/null || { echo "test-package.sh needs debootstrap"; exit 2; }

clean_env=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
    DEBIAN_FRONTEND=noninteractive)
failures=0
pass() { echo "PASS: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
in_root() { chroot "$root" "${clean_env[@]}" "$@"; }

# --- The package ------------------------------------------------------------------------------
echo "== building the package in $build"
make -C "$here" package BUILD_DIR="$build" >/tmp/pkg-make.log 2>&1 ||
    { tail -20 /tmp/pkg-make.log; echo "FAIL: make package"; exit 1; }
case $build in /*) ;; *) build=$here/$build ;; esac
deb=$(ls -t "$build"/quillonlt_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: no quillonlt_*.deb in $build"; exit 1; }
echo "package: $(basename "$deb") ($(du -h "$deb" | cut -f1))"
dpkg-deb --field "$deb" Package Version Architecture Section Maintainer Depends Recommends

if command -v lintian >/dev/null; then
    # A changelog and a copyright file are what an upload to the Debian archive needs; this
    # package is built from the sources by the shop itself.
    lintian --suppress-tags no-copyright-file,no-changelog "$deb" >/tmp/pkg-lintian.log 2>&1
    grep -v "running with root privileges" /tmp/pkg-lintian.log | sed 's/^/lintian: /'
    if grep -q '^E:' /tmp/pkg-lintian.log; then fail "lintian reports errors"; else pass "lintian: no errors"; fi
fi

# --- A minimal Debian 12 to install it in ------------------------------------------------------
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}
if [ ! -f "$root/.base-ok" ]; then
    echo "== debootstrap bookworm into $root (once)"
    rm -rf "$root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >/tmp/pkg-debootstrap.log 2>&1 ||
        { tail -5 /tmp/pkg-debootstrap.log; echo "FAIL: debootstrap"; exit 2; }
    # This machine's sources (with the updates and security suites) replace debootstrap's.
    cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" 2>/dev/null &&
        rm -f "$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # The checking tools only: the package must bring everything it needs itself.
    in_root bash -c 'apt-get update -qq && apt-get install -y -qq man-db desktop-file-utils >/dev/null' ||
        { echo "FAIL: the base tools did not install"; exit 2; }
    touch "$root/.base-ok"
fi
mounted=()
for fs in proc dev dev/pts; do
    mount --bind "/$fs" "$root/$fs" && mounted=("$root/$fs" "${mounted[@]}")
done
cleanup() {
    for mount_point in "${mounted[@]}"; do umount "$mount_point" 2>/dev/null; done
}
trap cleanup EXIT

# --- Install ----------------------------------------------------------------------------------
echo "== apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
cp "$here/resources/samples/O1001-POCKET.NC" "$root/tmp/"
in_root apt-get update -qq
if in_root apt-get install -y -q "/tmp/$(basename "$deb")" >/tmp/pkg-install.log 2>&1; then
    pass "apt-get install ($(grep -c '^Unpacking' /tmp/pkg-install.log) packages unpacked)"
else
    tail -20 /tmp/pkg-install.log
    fail "apt-get install"
    exit 1
fi
mapfile -t package_files < <(in_root dpkg -L quillonlt | while read -r path; do
    [ -f "$root$path" ] && echo "$path"
done)
echo "the package installed ${#package_files[@]} files"

# --- The desktop entry and the program as it starts it -----------------------------------------
desktop=/usr/share/applications/$id.desktop
if report=$(in_root desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ]; then
    pass "desktop-file-validate $desktop"
else
    fail "desktop-file-validate: $report"
fi
exec_line=$(sed -n 's/^Exec=//p' "$root$desktop")
command_line=${exec_line//%F/\/tmp\/O1001-POCKET.NC}
echo "starting as the desktop entry says: $command_line"
rm -rf "$root/tmp/quillon-home"
# chroot, env and sh each exec the next, so $! is the program itself and the signal below
# reaches it.
chroot "$root" "${clean_env[@]}" QT_QPA_PLATFORM=offscreen QUILLONLT_HOME=/tmp/quillon-home \
    sh -c "exec $command_line" >/tmp/pkg-program.log 2>&1 &
program=$!
sleep "$startup_seconds"
if kill -0 "$program" 2>/dev/null; then
    pass "quillonlt is running after $startup_seconds s"
    kill -TERM "$program"
    for _ in $(seq 1 $((stop_seconds * 10))); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        kill -KILL "$program"
        fail "quillonlt was still running $stop_seconds s after SIGTERM"
    fi
    wait "$program"
    status=$?
    [ "$status" -eq 0 ] && pass "quillonlt ended on SIGTERM with status 0" ||
        fail "quillonlt ended on SIGTERM with status $status"
else
    wait "$program"
    fail "quillonlt was gone after $startup_seconds s (status $?): $(tail -5 /tmp/pkg-program.log)"
fi
if grep -q "O1001-POCKET.NC" "$root/tmp/quillon-home/QuillonLT.ini" 2>/dev/null; then
    pass "the program file from the Exec line was opened (it is in the recent-file list)"
else
    fail "the program file from the Exec line did not reach the editor"
fi

# --- The command line and the man pages ---------------------------------------------------------
if help=$(in_root quillonlt-cli --help 2>&1) && grep -q "^usage: quillonlt-cli" <<<"$help"; then
    pass "quillonlt-cli --help ($(wc -l <<<"$help") lines)"
else
    fail "quillonlt-cli --help: $help"
fi
lines=$(in_root quillonlt-cli info /tmp/O1001-POCKET.NC 2>&1)
[[ $lines == lines=* ]] && pass "quillonlt-cli info: $lines" || fail "quillonlt-cli info: $lines"
for page in quillonlt quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim; do
    shown=$(in_root env MANWIDTH=80 man -P cat "$page" 2>/tmp/pkg-man.log)
    if [ -n "$shown" ] && [ ! -s /tmp/pkg-man.log ]; then
        pass "man $page ($(wc -l <<<"$shown") lines, $(in_root man -w "$page"))"
    else
        fail "man $page: $(cat /tmp/pkg-man.log)"
    fi
done
if grep -q "text/x-nc-program" "$root/usr/share/mime/globs2" 2>/dev/null; then
    pass "the system MIME database knows text/x-nc-program"
else
    fail "text/x-nc-program is not in the system MIME database"
fi

# --- Purge --------------------------------------------------------------------------------------
echo "== apt-get purge quillonlt"
in_root apt-get purge -y -q quillonlt >/tmp/pkg-purge.log 2>&1 || fail "apt-get purge"
left=()
for path in "${package_files[@]}"; do
    [ -e "$root$path" ] && left+=("$path")
done
[ ${#left[@]} -eq 0 ] && pass "no file of the package is left" ||
    fail "left after purge: ${left[*]}"
if grep -q "text/x-nc-program" "$root/usr/share/mime/globs2" 2>/dev/null; then
    fail "the MIME database still holds text/x-nc-program after purge"
else
    pass "the MIME database no longer holds text/x-nc-program"
fi
# Back to the bare root for the next run: the libraries the package pulled in go too.
in_root apt-get autoremove --purge -y -q >/dev/null 2>&1

echo "test-package: $failures failure(s)"
[ "$failures" -eq 0 ]
