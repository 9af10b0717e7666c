#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Bivora need,
# when any of them is missing. Needs root (or sudo) for apt-get, and only then.
#
#   deps.sh           install what is missing (nothing is run when nothing is)
#   deps.sh --check   print the missing packages, one a line; exit 1 when any is
set -euo pipefail

# Real package names only: a virtual package is never reported installed, and
# would send every run to apt-get. One a line, so that lists merge cleanly.
packages=(
  cmake
  g++
  make
  pkg-config
  qt6-base-dev
  qt6-base-dev-tools
  qt6-svg-dev
  qt6-qpa-plugins
  libgl-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libglib2.0-dev
  adwaita-icon-theme
  xvfb
  xauth
  imagemagick
  findutils
  python3
)

# The packages of the list that dpkg does not report installed. One dpkg-query for
# the whole list; a package it has never heard of is left out of its answer and so
# counts as missing.
missing_packages() {
  local installed
  installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null \
    | awk '$2 == "install" && $3 == "ok" && $4 == "installed" { print $1 }' || true)"
  local p
  for p in "${packages[@]}"; do
    if ! grep -qxF -- "$p" <<<"$installed"; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(missing_packages)

if [ "${1:-}" = "--check" ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    printf '%s\n' "${missing[@]}"
    exit 1
  fi
  exit 0
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
