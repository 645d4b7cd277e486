#!/bin/bash
# Installs the Debian packages the build and the tests need, skipping those already installed.
# Usage: scripts/deps.sh [build|test]   (build: enough to build and run the programs)
set -euo pipefail
build_packages=(build-essential cmake libcups2-dev zlib1g-dev pkg-config libpappl-dev libpam0g-dev)
test_packages=(googletest libgtest-dev cups cups-daemon cups-client cups-filters cups-ipp-utils curl
               ghostscript clang libclang-rt-14-dev libxml2-dev iproute2
               poppler-utils groff-base enscript libtasn1-doc chromium chromium-driver
               systemd)
packages=("${build_packages[@]}")
if [ "${1:-test}" = test ]; then packages+=("${test_packages[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "ERROR: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
