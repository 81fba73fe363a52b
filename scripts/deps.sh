#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing for building and running
# the player, with --tests also those the test suite needs, with --package
# those that build the Debian package.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-qpa-plugins
    libvlc-dev libvlc-bin vlc-plugin-base vlc-plugin-video-output
    libx11-dev
    libavformat-dev libavcodec-dev libavutil-dev
    libsqlite3-dev zlib1g-dev libopencc-dev libexpat1-dev
    fonts-wqy-microhei
    ffmpeg
    python3 unicode-data
)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(tzdata xvfb dbus-daemon xdotool x11-utils desktop-file-utils appstream dpkg-dev libglib2.0-bin clang libclang-rt-14-dev
        python3 python3-gi gir1.2-gstreamer-1.0 gir1.2-gst-rtsp-server-1.0 gstreamer1.0-plugins-base
        gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly)
fi
if [[ "${1:-}" == "--package" ]]; then
    packages+=(dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
