#!/usr/bin/env bash
# Builds the release preset and runs benchmarks.
#
#   scripts/bench.sh              every benchmark that is a row of the goal
#                                 table (what the operator waits for, the
#                                 codec against its floor, settlements per
#                                 second), then prints that one table:
#                                 action, goal, measured, ratio, met/missed.
#                                 PostgreSQL rows only with PED_BENCH_PG set.
#   BENCH=<name> scripts/bench.sh [args...]
#                                 one benchmark binary (BENCH=rpc_bench for
#                                 the wire), five repetitions, its own output;
#                                 without BENCH but with arguments, engine_bench:
#   scripts/bench.sh --benchmark_filter=Locate
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

PRESET="${PRESET:-release}"  # PRESET=ci: the CI build (Release too) instead
BENCH_DIR="build/${PRESET}/bench"

fail() {
  printf 'bench.sh: %s\n' "$*" >&2
  exit 1
}

./scripts/install-deps.sh >&2 || fail "dependency installation failed"
cmake --preset "$PRESET" >&2 || fail "configure failed (preset ${PRESET})"
cmake --build --preset "$PRESET" -j 2 >&2 || fail "build failed (preset ${PRESET})"

if [[ -n "${BENCH:-}" || $# -gt 0 ]]; then
  binary="${BENCH_DIR}/${BENCH:-engine_bench}"
  [[ -x "$binary" ]] || fail "benchmark binary not found at ${binary}"
  exec "$binary" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
fi

# The table's rows: binary and the filter naming its rows.
TABLE=(
  "operator_bench ."
  "engine_bench ^BM_DecodeVsSimdjson100k"
  "settlement_bench ^BM_Settlements/"
)

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
results=()
for row in "${TABLE[@]}"; do
  read -r name filter <<<"$row"
  binary="${BENCH_DIR}/${name}"
  if [[ ! -x "$binary" ]]; then
    printf 'bench.sh: %s not built, its rows left out\n' "$name" >&2
    continue
  fi
  printf 'bench.sh: running %s\n' "$name" >&2
  # The benchmark's own report goes to the terminal (stderr): the table is stdout.
  if ! "$binary" --benchmark_filter="$filter" --benchmark_out="${out}/${name}.json" \
    --benchmark_out_format=json >&2; then
    printf 'bench.sh: %s failed; its rows may be missing\n' "$name" >&2
  fi
  results+=("${out}/${name}.json")
done

[[ ${#results[@]} -gt 0 ]] || fail "no benchmark of the table was built"
pg=(--no-pg)
[[ -n "${PED_BENCH_PG:-}" ]] && pg=()
echo
python3 scripts/bench-table.py "${pg[@]}" "${results[@]}"
