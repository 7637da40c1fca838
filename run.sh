#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset and starts
# the application.
#
# Only the data-set engine exists so far. The application server, the demo
# database and the host application with the PED00800 screen arrive in later
# work; start_application below is the part that will then create the demo
# database when it is missing, start the server and start the host.
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

# Lists what the build produced, as found on disk; a missing one is an error.
report_built() {
  local what path missing=0
  echo "Built in ${BUILD_DIR}:"
  for what in "src/engine/libped_engine.a:data-set engine library" \
    "tests/engine/engine_tests:engine tests (run them with ./test.sh)" \
    "bench/engine_bench:engine benchmark (run it with scripts/bench.sh)"; do
    path="${BUILD_DIR}/${what%%:*}"
    if [[ -e "$path" ]]; then
      printf '  %-44s %s\n' "$path" "${what#*:}"
    else
      printf '  %-44s %s: NOT FOUND\n' "$path" "${what#*:}"
      missing=1
    fi
  done
  ((missing == 0)) || fail "the build finished but some of its outputs are missing"
}

start_application() {
  step "Starting the application"
  report_built
  cat <<'EOF'

Not there yet, so nothing is started:
  - the application server (JSON-RPC 2.0 over HTTP at /Ped00800.rdmLiquidaItem)
  - the demo database (SQLite)
  - the host application with the "Liquidação Manual" screen (PED00800)
These come with later work; run.sh will then create the demo database when it
is missing, start the server and start the host.
EOF
}

install_deps
build
start_application
