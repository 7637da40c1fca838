#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset, creates
# the demo database (dados/ped00800.db) when it is missing, starts the
# application server on 127.0.0.1 and opens the host application logged in
# as a demo operator, with the "Liquidação Manual" screen open. Closing the
# host stops the server.
#
# PED_OPERADOR chooses the demo operator (GERENTE, VENDEDOR1, SEMVEND, ADMIN;
# default GERENTE); PED_FILIAL the working branch; PED_VINCULO=1 binds the
# screen to it. PED_DATABASE (a SQLite path or a PostgreSQL connection string)
# and PED_PORT choose another database and port. Without a display it says how
# to run under Xvfb and exits.
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
  # Only what runs here: tests and benchmarks are test.sh's.
  cmake --build --preset "$PRESET" -j 2 --target ped00800-server ped00800-demo ped-host ped00800_module ||
    fail "build failed (preset ${PRESET})"
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

demo_password() {
  case "$1" in
    GERENTE) echo gerente123 ;;
    VENDEDOR1) echo vendedor123 ;;
    SEMVEND) echo semvend123 ;;
    ADMIN) echo admin123 ;;
    *) fail "unknown demo operator '$1' (GERENTE, VENDEDOR1, SEMVEND or ADMIN)" ;;
  esac
}

wait_for_server() {
  local pid=$1
  for _ in $(seq 1 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/${PORT}") 2>/dev/null; then return 0; fi
    kill -0 "$pid" 2>/dev/null || fail "the application server stopped (see the lines above)"
    sleep 0.1
  done
  fail "the application server did not answer on 127.0.0.1:${PORT}"
}

start_application() {
  local operator="${PED_OPERADOR:-GERENTE}"
  local password
  password="$(demo_password "$operator")"
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat <<MSG

No display: the host application needs one. Run it under a virtual display:
    xvfb-run -a -s "-screen 0 1280x800x24" ./run.sh
(xvfb is installed by this script), or from a desktop session, or over
ssh -X. Nothing was started.
MSG
    exit 0
  fi
  create_demo_database
  step "Starting the application server on 127.0.0.1:${PORT}"
  "${BUILD_DIR}/src/server/ped00800-server" --database "$DATABASE" --port "$PORT" &
  SERVER_PID=$!
  SECRET="$(mktemp)"
  # Qt wants a private runtime folder; a bare Xvfb session has none.
  RUNTIME_DIR=""
  if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR="$RUNTIME_DIR"
  fi
  trap 'kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null; rm -f "$SECRET"; [[ -z "$RUNTIME_DIR" ]] || rm -rf "$RUNTIME_DIR"' EXIT
  trap 'exit 130' INT TERM
  wait_for_server "$SERVER_PID"
  printf '%s\n' "$password" >"$SECRET"
  step "Opening the host as ${operator} with the screen PED00800"
  cat <<'MSG'
Demo operators (password): GERENTE (gerente123), VENDEDOR1 (vendedor123),
SEMVEND (semvend123), ADMIN (admin123). See README.md.
MSG
  local args=(--server "127.0.0.1:${PORT}" --database "$DATABASE" --operator "$operator"
    --password-file "$SECRET" --open PED00800 --modules-dir "${BUILD_DIR}/modules")
  if [[ -n "${PED_FILIAL:-}" ]]; then args+=(--branch "$PED_FILIAL"); fi
  if [[ "${PED_VINCULO:-0}" == 1 ]]; then args+=(--bind-branch); fi
  "${BUILD_DIR}/src/hostapp/ped-host" "${args[@]}"
}

install_deps
build
start_application
