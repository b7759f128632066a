#!/usr/bin/env bash
# CheckInstall.sh BUILD_DIR MIME_PROBE SOURCE_DIR VERSION
#
# Installs the build into a scratch DESTDIR, as the Debian package does (prefix /usr), and
# checks it the way a desktop would see it: exactly the expected files, a desktop entry and
# metainfo that validate and agree with each other, MIME types that tell NC programs from
# the other formats sharing their extensions, icons of the sizes they claim, and man pages
# that format without warnings and name every option the programs' --help offers.
set -uo pipefail
build=$1 probe=$2 source=$3 version=$4
id=org.quillonlt.QuillonLT
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
usr=$root/usr
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

# --- The files, no more and no fewer ----------------------------------------------------------
expected=(
    bin/quillonlt bin/quillonlt-cli bin/quillonlt-ctrlsim bin/quillonlt-hubsim
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/mime/packages/$id.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/quillonlt.1.gz share/man/man1/quillonlt-cli.1.gz
    share/man/man1/quillonlt-ctrlsim.1.gz share/man/man1/quillonlt-hubsim.1.gz
)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | sed 's|^\./||' | sort) \
    >"$scratch/files.diff" || fail "installed files differ from the expected ones (< missing, > extra):
$(cat "$scratch/files.diff")"
for program in quillonlt quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim; do
    [ -x "$usr/bin/$program" ] || fail "bin/$program is not executable"
done

# --- Desktop entry ----------------------------------------------------------------------------
desktop=$usr/share/applications/$id.desktop
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
key() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(key Exec)
read -r exec_program exec_rest <<<"$exec_line"
[ -x "$usr/bin/$exec_program" ] || fail "Exec names $exec_program, which is not installed"
[ "$exec_rest" = "%F" ] || fail "Exec passes '$exec_rest', not the opened files (%F)"
[ "$(key Icon)" = "$id" ] || fail "Icon is '$(key Icon)', not the installed icon $id"
grep -q "^MimeType=.*text/x-nc-program;" "$desktop" || fail "MimeType lacks text/x-nc-program"

# --- Metainfo ---------------------------------------------------------------------------------
metainfo=$usr/share/metainfo/$id.metainfo.xml
report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) ||
    fail "appstreamcli validate: $report"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo has no release entry for version $version"

# --- Icons ------------------------------------------------------------------------------------
for size in "${sizes[@]}"; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || continue
    # The PNG header: the signature, then IHDR with width and height as 32-bit big-endian.
    read -r -a header < <(od -An -tu1 -N24 "$png" | tr -s ' \n' ' ')
    width=$(((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19]))
    height=$(((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23]))
    [ "${header[1]}${header[2]}${header[3]}" = "807871" ] || fail "$png is not a PNG"
    [ "${width}x${height}" = "${size}x${size}" ] || fail "$png is ${width}x${height}"
done

# --- MIME types -------------------------------------------------------------------------------
# Our package merged with the system's, as the Debian trigger does, so that our globs and
# magic compete with the formats that share the extensions.
mime=$scratch/data/mime
mkdir -p "$mime/packages" "$scratch/home"
cp /usr/share/mime/packages/*.xml "$mime/packages/"
cp "$usr/share/mime/packages/$id.xml" "$mime/packages/"
# (A scratch database needs no fsync of every file it writes.)
report=$(PKGSYSTEM_ENABLES_FSYNC=0 update-mime-database "$mime" 2>&1 >/dev/null | grep -v "is not in the search path" |
    grep -v -e "^set by the XDG" -e "^environment variables" -e "^be able to find it" \
        -e "^directories currently" -e "^$" -e "^- ")
[ -z "$report" ] || fail "update-mime-database: $report"

files=$scratch/files
mkdir -p "$files"
trim() {
    local text=${1#"${1%%[![:space:]]*}"}
    printf '%s' "${text%"${text##*[![:space:]]}"}"
}
# name | content (printf format; @ names a prepared one) | the type it must get
cases=(
    "O1001-POCKET.NC   | @sample                           | text/x-nc-program"
    "part.ngc          | G21\nG0 X0 Y0\n                   | text/x-nc-program"
    "comment-first.ngc | (CONTOUR)\nG0 X0\n                | text/x-nc-program"
    "rom.ngc           | @neogeo                           | application/x-neo-geo-pocket-color-rom"
    "percent-line.h    | %%\nO1234\nG0 X0\n%%\n            | text/x-nc-program"
    "program-number.h  | O1234\nN10 G0 X0\n                | text/x-nc-program"
    "header.h          | #pragma once\nint f();\n          | text/x-chdr"
    "guarded-header.h  | /* api */\n#ifndef A\n#define A\n | text/x-chdr"
    "block-number.nc   | N10 G0 X0\r\nN20 M30\r\n          | text/x-nc-program"
    "netcdf.nc         | CDF\001\000\000\000\000\000       | application/x-netcdf"
    "siemens.MPF       | %%_N_PART_MPF\n                   | text/x-nc-program"
    "fanuc.tap         | :1234\nG0 X0\n                    | text/x-nc-program"
    "lathe.min         | N1 G50 S2000\n                    | text/x-nc-program"
    "punched.eia       | %%\nG0\n                          | text/x-nc-program"
    "O1234             | %%\nO1234\nM30\n%%\n              | text/x-nc-program"
)
names=()
for row in "${cases[@]}"; do
    IFS='|' read -r name content _ <<<"$row"
    name=$(trim "$name") content=$(trim "$content")
    case $content in
    @sample) cp "$source/resources/samples/O1001-POCKET.NC" "$files/$name" ;;
    # A Neo Geo Pocket ROM header: the maker's notice at 0, a 0x10 at 35.
    @neogeo) printf 'COPYRIGHT BY SNK CORPORATION\0\0\0\0\0\0\0\020' >"$files/$name" ;;
    *) printf "$content" >"$files/$name" ;;
    esac
    names+=("$files/$name")
done
XDG_DATA_HOME=$scratch/home XDG_DATA_DIRS=$scratch/data "$probe" "${names[@]}" >"$scratch/types"
for row in "${cases[@]}"; do
    IFS='|' read -r name _ want <<<"$row"
    name=$(trim "$name") want=$(trim "$want")
    got=$(grep -F "$files/$name " "$scratch/types" | sed 's/.* //')
    [ "$got" = "$want" ] || fail "$name: MIME type '$got', expected $want"
done

# --- Man pages --------------------------------------------------------------------------------
for page in quillonlt quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim; do
    gz=$usr/share/man/man1/$page.1.gz
    [ -f "$gz" ] || continue
    gzip -t "$gz" || fail "$gz is not a gzip file"
    report=$(zcat "$gz" | groff -man -ww -z 2>&1)
    [ -z "$report" ] || fail "$page.1: $report"
    zcat "$gz" | grep -q "^\.TH ${page^^} 1 .* \"QuillonLT $version\"" ||
        fail "$page.1: the title line does not name version $version"
done
# Every option a program's --help shows is in its man page (where "--" is written "\-\-").
for program in quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim; do
    gz=$usr/share/man/man1/$program.1.gz
    [ -f "$gz" ] || continue
    page=$(zcat "$gz" | sed 's/\\-/-/g')
    options=$("$usr/bin/$program" --help | grep -o -- '--[a-z0-9][a-z0-9-]*' | sort -u)
    [ -n "$options" ] || fail "$program --help shows no options"
    for option in $options; do
        grep -q -- "$option\b" <<<"$page" || fail "$program.1 does not document $option"
    done
done

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "installed tree checked: ${#expected[@]} files, ${#cases[@]} MIME cases"
