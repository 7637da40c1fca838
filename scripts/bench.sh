#!/usr/bin/env bash
# Builds the release preset and runs a benchmark: the data-set engine's by
# default, another with BENCH=<name> (BENCH=rpc_bench for the wire).
# Extra arguments go to the benchmark, e.g.:
#   scripts/bench.sh --benchmark_filter=Locate
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

PRESET="release"
BENCH="build/${PRESET}/bench/${BENCH:-engine_bench}"

fail() {
  printf 'bench.sh: %s\n' "$*" >&2
  exit 1
}

./scripts/install-deps.sh || fail "dependency installation failed"
cmake --preset "$PRESET" || fail "configure failed (preset ${PRESET})"
cmake --build --preset "$PRESET" -j 2 || fail "build failed (preset ${PRESET})"
[[ -x "$BENCH" ]] || fail "benchmark binary not found at ${BENCH}"

exec "$BENCH" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
