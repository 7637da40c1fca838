#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset and starts
# the application.
#
# Creates the demo database (dados/ped00800.db) when it is missing and starts
# the application server on it. PED_DATABASE (a SQLite path or a PostgreSQL
# connection string) and PED_PORT choose others.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"

PRESET="release"
BUILD_DIR="build/${PRESET}"

step() { printf '\n==> %s\n' "$*"; }
fail() {
  printf 'run.sh: %s\n' "$*" >&2
  exit 1
}

install_deps() {
  step "Installing missing dependencies"
  ./scripts/install-deps.sh || fail "dependency installation failed"
}

build() {
  step "Building (preset ${PRESET})"
  cmake --preset "$PRESET" || fail "configure failed (preset ${PRESET})"
  cmake --build --preset "$PRESET" -j 2 || fail "build failed (preset ${PRESET})"
}

DATABASE="${PED_DATABASE:-dados/ped00800.db}"
PORT="${PED_PORT:-8800}"

create_demo_database() {
  if [[ -e "$DATABASE" ]] || [[ "$DATABASE" == *=* ]] || [[ "$DATABASE" == postgres* ]]; then
    return
  fi
  step "Creating the demo database ${DATABASE}"
  mkdir -p "$(dirname "$DATABASE")"
  "${BUILD_DIR}/src/server/ped00800-demo" --database "$DATABASE" || fail "could not create the demo database"
}

start_application() {
  create_demo_database
  step "Starting the application server on 127.0.0.1:${PORT}"
  cat <<'EOF'
Demo operators (password): GERENTE (gerente123), VENDEDOR1 (vendedor123),
SEMVEND (semvend123), ADMIN (admin123). See README.md.
The host application with the "Liquidação Manual" screen is not there yet;
the server runs until Ctrl+C.
EOF
  exec "${BUILD_DIR}/src/server/ped00800-server" --database "$DATABASE" --port "$PORT"
}

install_deps
build
start_application
