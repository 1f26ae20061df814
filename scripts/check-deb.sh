#!/usr/bin/env bash
# Builds the .deb and tries it on a fresh Debian 12: a minimal bookworm in a folder (debootstrap),
# the package installed there with apt, then as a new user: pelorin-cli init, demo and report, and
# the program started headless up to its password box. Needs root and the Debian mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
(cd build && cpack >/dev/null)
deb=$(ls build/pelorin_*_amd64.deb | head -1)
root=${1:-/tmp/pelorin-deb12}
command -v debootstrap >/dev/null || apt-get install -y debootstrap
[ -x "$root/bin/bash" ] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
cp "$deb" "$root/tmp/pelorin.deb"
cp /etc/resolv.conf "$root/etc/resolv.conf"
chroot "$root" bash -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/pelorin.deb'
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" bash -c '! id doctor >/dev/null 2>&1 || userdel -r doctor 2>/dev/null; useradd -m doctor
su doctor -c "cd ~ && pelorin-cli init && pelorin-cli demo --patients 5 >/dev/null &&
  pelorin-cli report --patient 1 --mode extract-all >/dev/null &&
  { QT_QPA_PLATFORM=offscreen timeout 5 pelorin 2>/dev/null; [ \$? -eq 124 ]; } &&
  ls ~/.local/share/Pelorin/sourses/reports ~/.local/share/Tarvelo/tarvelo.sqlite"'
echo "The package installs and starts on a fresh Debian 12."
