#!/usr/bin/env bash
# Builds the fuzz targets (clang-14, libFuzzer, AddressSanitizer, UBSan) and
# runs each for a while from its seed corpus in fuzz/corpus/.
#
#   scripts/fuzz.sh                    # every target, 60 s each
#   scripts/fuzz.sh 600 packet         # one target (or several), 600 s each
#   FUZZ_JOBS=2 scripts/fuzz.sh 3600   # two fuzzing processes per target
#   FUZZ_SEED=1 scripts/fuzz.sh 4      # the same inputs every run (./test.sh does this)
#
# New interesting inputs go to build/fuzz/found/<target>, never into the tree;
# a crashing input is written to build/fuzz/crashes/ and the script fails,
# printing how to replay it. Exits non-zero when a target crashes or cannot
# be built.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT="$PWD"
SECONDS_EACH="${1:-60}"
shift || true
TARGETS=("$@")
((${#TARGETS[@]})) || TARGETS=(packet filter_expression stock_filter edit_mask dispatcher request_extent)
BUILD=build/fuzz

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz.sh: clang++-14 is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
cmake -S fuzz -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
cmake --build "$BUILD" -j 2 --target "${TARGETS[@]/%/_fuzz}"

mkdir -p "$BUILD/crashes"
failed=0
for t in "${TARGETS[@]}"; do
  found="$BUILD/found/$t"
  mkdir -p "$found"
  log="$BUILD/$t.log"
  # -rss_limit_mb: a leak or a runaway allocation is a failure too.
  parallel=()
  ((${FUZZ_JOBS:-1} > 1)) && parallel=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS")
  [[ -n "${FUZZ_SEED:-}" ]] && parallel+=(-seed="$FUZZ_SEED")
  # From the build tree: parallel jobs write their logs to the working directory.
  if (cd "$BUILD" && "./${t}_fuzz" "found/$t" "$ROOT/fuzz/corpus/$t" -max_total_time="$SECONDS_EACH" \
    -rss_limit_mb=2048 -max_len=65536 -timeout=10 "${parallel[@]}" -artifact_prefix="crashes/${t}-") >"$log" 2>&1; then
    runs="$(sed -nE 's/^Done ([0-9]+) runs.*/\1/p' "$log" | tail -n 1)"
    printf 'fuzz %-18s ok, %s runs in %s s\n' "$t" "${runs:-?}" "$SECONDS_EACH"
  else
    failed=1
    printf 'fuzz %-18s FAILED; log %s\n' "$t" "$log"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5 || true
    echo "  replay: $BUILD/${t}_fuzz <the crash file above>"
  fi
done
exit "$failed"
