#!/usr/bin/env bash
# Installs the Debian 12 packages QuillonLT needs to build, test and run; `install-deps.sh
# fuzz` also what the libFuzzer harnesses need (clang and its sanitizer runtimes).
# Does nothing when they are all there; otherwise needs root or sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-liberation2
    clang-format
    libmosquitto-dev mosquitto mosquitto-clients openssl
    qt6-httpserver-dev qt6-websockets-dev chromium
    desktop-file-utils appstream shared-mime-info groff-base dpkg-dev
)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These packages are missing and installing them needs root or sudo:" >&2
    echo "  ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
