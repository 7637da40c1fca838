#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test the project.
#
# Only packages that are not installed yet are asked for, and `apt-get update`
# runs only when at least one is missing, so a second run is quick and works
# without network access.
#
# Runs as root (no sudo). Exits non-zero with a message when apt fails.
set -euo pipefail

# Every Debian package the build, the tests and the benchmarks need.
# Later work adds to this list (and only to this list).
REQUIRED_PACKAGES=(
  build-essential
  cmake
  ninja-build
  pkg-config
  ccache
  git
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libsimdjson-dev
  libsqlite3-dev
  qt6-base-dev
  libgl-dev
  fonts-dejavu-core
  libpq-dev
  postgresql
  libcpp-httplib-dev
  libssl-dev
  openssl
  libspdlog-dev
  libsodium-dev
  xvfb
  xauth
  clang-format
  clang-14
  libclang-rt-14-dev
  python3
  # Debian packages (scripts/package.sh) and their inspection
  dpkg-dev
  file
  lintian
  systemd
)

log() { printf 'install-deps: %s\n' "$*"; }
die() {
  printf 'install-deps: ERROR: %s\n' "$*" >&2
  exit 1
}

command -v dpkg-query >/dev/null 2>&1 ||
  die "dpkg-query not found; this script expects a Debian 12 machine."

is_installed() {
  local status
  status="$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" || return 1
  [[ "$status" == "install ok installed" ]]
}

missing=()
for pkg in "${REQUIRED_PACKAGES[@]}"; do
  is_installed "$pkg" || missing+=("$pkg")
done

if ((${#missing[@]} == 0)); then
  log "all ${#REQUIRED_PACKAGES[@]} required packages are already installed."
  exit 0
fi

log "missing packages: ${missing[*]}"

if ((EUID != 0)); then
  die "installing packages needs root; run this script as root (missing: ${missing[*]})."
fi
command -v apt-get >/dev/null 2>&1 || die "apt-get not found; cannot install: ${missing[*]}"

export DEBIAN_FRONTEND=noninteractive

log "running apt-get update"
if ! apt-get update </dev/null; then
  die "'apt-get update' failed; check the network access to the Debian archive."
fi

log "installing: ${missing[*]}"
if ! apt-get install -y --no-install-recommends "${missing[@]}" </dev/null; then
  die "'apt-get install' failed for: ${missing[*]}"
fi

# apt can return 0 and still leave a package unconfigured; check again.
still_missing=()
for pkg in "${missing[@]}"; do
  is_installed "$pkg" || still_missing+=("$pkg")
done
if ((${#still_missing[@]} > 0)); then
  die "packages still not installed after apt-get install: ${still_missing[*]}"
fi

log "installed ${#missing[@]} package(s)."
