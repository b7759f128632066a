#!/usr/bin/env bash
# The live monitoring demo: a simulated hub of 16 machines on loopback and QuillonLT
# connected to it, each with its own folder under the build folder, so that nothing of the
# user's own settings is touched. The hub stops when the program ends.
#
#   scripts/demo.sh [--setup-only]
#
# --setup-only starts the hub just long enough to learn its machines, writes the program's
# files and stops; the demo's test runs it that way.
#
# Environment: BUILD_DIR (default build), DEMO_DIR (default $BUILD_DIR/demo), DEMO_PORT
# (the UDP port of both ends, default 27117), DEMO_SPEED (simulated seconds per second,
# default 1), DEMO_ROTATION (rotation times of the detailed, graph and timeline views,
# for example 30,0,20; default none).
set -euo pipefail

BUILD_DIR=${BUILD_DIR:-build}
DEMO_DIR=${DEMO_DIR:-$BUILD_DIR/demo}
DEMO_PORT=${DEMO_PORT:-27117}
DEMO_SPEED=${DEMO_SPEED:-1}
DEMO_ROTATION=${DEMO_ROTATION:-0,0,0}
HUBSIM=${HUBSIM:-$BUILD_DIR/tools/hubsim/quillonlt-hubsim}
PROGRAM=${PROGRAM:-$BUILD_DIR/src/app/quillonlt}

setup_only=false
[ "${1:-}" = "--setup-only" ] && setup_only=true

# 127.0.0.2 and 127.0.0.1 as the program writes addresses: signed 32-bit decimals.
readonly HUB_ADDRESS=2130706434
readonly CLIENT_ADDRESS=2130706433
readonly MACHINES=16
# A shift in which the machines of the first cell are all manned by the time one looks.
readonly SEED=7

mkdir -p "$DEMO_DIR"
DEMO_DIR=$(cd "$DEMO_DIR" && pwd)
HUB_DIR=$DEMO_DIR/hub
HOME_DIR=$DEMO_DIR/home
mkdir -p "$HUB_DIR" "$HOME_DIR"

if ! [[ "$DEMO_ROTATION" =~ ^[0-9]+,[0-9]+,[0-9]+$ ]]; then
    echo "DEMO_ROTATION takes three numbers of seconds, such as 30,0,20" >&2
    exit 2
fi
for binary in "$HUBSIM" "$PROGRAM"; do
    if [ ! -x "$binary" ]; then
        echo "$binary is not built; run make build first" >&2
        exit 2
    fi
done

hub_pid=
stop_hub() {
    if [ -n "$hub_pid" ]; then
        kill "$hub_pid" 2>/dev/null || true
        wait "$hub_pid" 2>/dev/null || true
        hub_pid=
    fi
}
trap stop_hub EXIT
trap 'exit 130' INT TERM

# A configuration of another run would name other machines: the hub writes it anew.
rm -f "$HUB_DIR/_SETUP/CairnConf.sys"
"$HUBSIM" --address 127.0.0.2 --port "$DEMO_PORT" --machines "$MACHINES" --seed "$SEED" \
    --speed "$DEMO_SPEED" --hub-dir "$HUB_DIR" --history 2 --demo --quiet \
    >"$DEMO_DIR/hubsim.log" 2>&1 &
hub_pid=$!

for _ in $(seq 100); do
    [ -s "$HUB_DIR/_SETUP/CairnConf.sys" ] && break
    if ! kill -0 "$hub_pid" 2>/dev/null; then
        echo "the simulated hub did not start:" >&2
        cat "$DEMO_DIR/hubsim.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -s "$HUB_DIR/_SETUP/CairnConf.sys" ]; then
    echo "the simulated hub wrote no configuration in $HUB_DIR" >&2
    exit 1
fi

# The machines in slot order, as the hub names them.
mapfile -t names < <(tr -d '\r' <"$HUB_DIR/_SETUP/CairnConf.sys" | sed -n 's/^NM://p')

crlf() { printf '%s\r\n' "$@"; }
machine_line() {  # index: "name,hub,port" of the machine in that slot
    crlf "${names[$1]},$(($1 / 8)),$(($1 % 8))"
}

# The hub's folder and address; no name, so no look-up.
crlf "$HUB_DIR/" "$HUB_ADDRESS" "" >"$HOME_DIR/VoskCONF.SYS"

# Margins.sys: this computer's address on line 11, the rest as the user left it or the
# program's defaults.
margins=$HOME_DIR/Margins.sys
if [ -f "$margins" ]; then
    mapfile -t lines < <(tr -d '\r' <"$margins")
else
    lines=("$HOME_DIR" 1.0 1.0 1.0 1.0 1 0 1 0 1 0 0 0 0 1 0 0 0)
fi
while [ "${#lines[@]}" -lt 11 ]; do lines+=(""); done
lines[10]=$CLIENT_ADDRESS
crlf "${lines[@]}" >"$margins"

# The detailed and graph views: the two cells of eight under a main title.
{
    crlf "_MT_QuillonLT demo floor"
    crlf "_ST_Cell A"
    for i in $(seq 0 7); do machine_line "$i"; done
    crlf "_ST_Cell B"
    for i in $(seq 8 $((${#names[@]} - 1))); do machine_line "$i"; done
} >"$HOME_DIR/MonList.sys"

# The timeline: every machine; refresh 10 seconds, the rotation times, cycles counted.
{
    crlf "_MT_QuillonLT demo floor"
    for i in $(seq 0 $((${#names[@]} - 1))); do machine_line "$i"; done
    crlf "::::10,$DEMO_ROTATION,0"
} >"$HOME_DIR/MonList2.sys"

if $setup_only; then
    echo "demo files written in $HOME_DIR for the hub in $HUB_DIR"
    exit 0
fi

echo "QuillonLT demo: hub of $MACHINES machines on 127.0.0.2:$DEMO_PORT ($HUB_DIR)"
echo "settings in $HOME_DIR; close the program to stop the hub"
# The detailed view opens by itself a few seconds after start-up (without rotation).
QUILLONLT_HOME=$HOME_DIR QUILLONLT_UDP_PORT=$DEMO_PORT "$PROGRAM" -SHOW_MON_WIN || true
