#!/usr/bin/env bash
# The files `make demo` gives the program, checked against the simulated hub they were made
# for and against the program's own reading of the lists (quillonlt-cli hub lists, which
# rewrites a list whose machines do not sit where the hub has them).
#
#   DemoSetupTest.sh DEMO_SCRIPT HUBSIM PROGRAM CLI
set -uo pipefail

demo_script=$1
export HUBSIM=$2 PROGRAM=$3
cli=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_eq() {  # what, expected, actual
    [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DEMO_DIR=$work/demo
export DEMO_PORT=$((20000 + RANDOM % 20000))
home=$DEMO_DIR/home
hub=$DEMO_DIR/hub

# A first run with a rotation.
DEMO_ROTATION=30,0,20 "$demo_script" --setup-only >"$work/out" 2>&1 ||
    fail "the setup ended in error: $(cat "$work/out")"

expect_eq "VoskCONF.SYS" "$(printf '%s\r\n' "$hub/" 2130706434 ""; echo x)" \
    "$(cat "$home/VoskCONF.SYS"; echo x)"
expect_eq "Margins.sys lines" 18 "$(wc -l <"$home/Margins.sys")"
expect_eq "Margins.sys line 11" $'2130706433\r' "$(sed -n 11p "$home/Margins.sys")"

mapfile -t names < <(tr -d '\r' <"$hub/_SETUP/CairnConf.sys" | sed -n 's/^NM://p')
expect_eq "machines of the hub" 16 "${#names[@]}"
expect_eq "MonList.sys titles" $'_MT_QuillonLT demo floor\r\n_ST_Cell A\r\n_ST_Cell B\r' \
    "$(grep '^_' "$home/MonList.sys")"
expect_eq "MonList.sys machine 9" "${names[8]},1,0"$'\r' "$(sed -n 12p "$home/MonList.sys")"
expect_eq "MonList2.sys settings" $'::::10,30,0,20,0\r' "$(tail -n 1 "$home/MonList2.sys")"
for list in MonList.sys MonList2.sys; do
    for name in "${names[@]}"; do
        grep -q "^$name," "$home/$list" || fail "$list lacks $name"
    done
done

# The program reads the lists as written: nothing to put right.
cp "$home/MonList.sys" "$home/MonList2.sys" "$work/"
QUILLONLT_HOME=$home "$cli" hub lists >"$work/lists" 2>&1 || fail "hub lists: $(cat "$work/lists")"
cmp -s "$home/MonList.sys" "$work/MonList.sys" || fail "MonList.sys was rewritten"
cmp -s "$home/MonList2.sys" "$work/MonList2.sys" || fail "MonList2.sys was rewritten"

# The hub went with the setup.
pgrep -f -- "--hub-dir $hub" >/dev/null && fail "the simulated hub still runs"

# A second run keeps the user's own Margins.sys lines and turns the rotation off.
sed -i '1s/.*/\/srv\/nc\r/' "$home/Margins.sys"
"$demo_script" --setup-only >"$work/out" 2>&1 || fail "the second setup: $(cat "$work/out")"
expect_eq "Margins.sys line 1 kept" $'/srv/nc\r' "$(sed -n 1p "$home/Margins.sys")"
expect_eq "Margins.sys line 11 again" $'2130706433\r' "$(sed -n 11p "$home/Margins.sys")"
expect_eq "MonList2.sys without rotation" $'::::10,0,0,0,0\r' "$(tail -n 1 "$home/MonList2.sys")"

# A rotation that is not three numbers is refused before anything starts.
DEMO_ROTATION=30 "$demo_script" --setup-only >/dev/null 2>&1 && fail "DEMO_ROTATION=30 accepted"

[ "$failures" -eq 0 ] && echo "demo setup: all checks passed"
exit $((failures > 0))
