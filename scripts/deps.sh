#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev libgl-dev
    qt6-image-formats-plugins qt6-gtk-platformtheme qt6-translations-l10n
    libquazip1-qt6-dev libpugixml-dev libsqlite3-dev libbenchmark-dev
    libqt6sql6-psql postgresql
    fonts-dejavu-core clazy
)
if [ "${PELORIN_WITH_X:-0}" = 1 ]; then
    packages+=(xvfb xauth)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Устанавливаю недостающие пакеты: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
