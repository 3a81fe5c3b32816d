#!/usr/bin/env bash
# Installs the JSON libraries the benchmark suite compares against, plus
# gnuplot for the chart. Debian packages only; safe to run repeatedly.
set -euo pipefail

packages=(
    nlohmann-json3-dev
    rapidjson-dev
    libboost-json1.81-dev
    libjsoncpp-dev
    libsimdjson-dev
    gnuplot-nox
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    if [ "$status" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-peers: all peers already installed"
    exit 0
fi

SUDO=
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
fi

echo "install-peers: installing ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
