#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds everything
# into build/. Used by scripts/test.sh and scripts/run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev
          libgmp-dev libgtest-dev libgmock-dev libcurl4-openssl-dev libzip-dev python3
          fonts-liberation qt6-translations-l10n xvfb xauth)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -G Ninja -DLEXO_WERROR=$werror
cmake --build build -j "$(nproc)"
