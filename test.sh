#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#
#   ./test.sh                 # release preset (the optimized code is what gets tested)
#   PRESET=asan ./test.sh     # Debug + AddressSanitizer/UBSan
#   PRESET=dev ./test.sh      # plain Debug
#   PRESET=ci ./test.sh       # release with warnings as errors (what CI runs)
#
# Ends with one line "N passed, N failed" and exits non-zero when the build
# fails, when any test fails, or when no test ran.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"

PRESET="${PRESET:-release}"
case "$PRESET" in
  dev | release | asan | ci) ;;
  *)
    printf 'test.sh: unknown PRESET "%s"; use one of: dev, release, asan, ci\n' "$PRESET" >&2
    exit 2
    ;;
esac

BUILD_DIR="build/${PRESET}"
JUNIT_FILE="${BUILD_DIR}/Testing/junit.xml" # set by the test presets in CMakePresets.json
CTEST_LOG="${BUILD_DIR}/Testing/ctest-output.log"

step() { printf '\n==> %s\n' "$*"; }
fail() {
  printf 'test.sh: %s\n' "$*" >&2
  exit 1
}

step "Installing missing dependencies"
./scripts/install-deps.sh || fail "dependency installation failed"

step "Checking the format (clang-format, .clang-format)"
./scripts/check-format.sh || fail "the code drifts from .clang-format (scripts/check-format.sh --fix mends it)"

step "Configuring (preset ${PRESET})"
cmake --preset "$PRESET" || fail "configure failed (preset ${PRESET})"

step "Building (preset ${PRESET})"
cmake --build --preset "$PRESET" -j 2 || fail "build failed (preset ${PRESET})"

step "Starting a throw-away PostgreSQL cluster"
PG_DIR="$(mktemp -d /tmp/ped00800-pg.XXXXXX)"
trap './scripts/pg-test-cluster.sh stop "$PG_DIR"' EXIT
PED_TEST_PG="$(./scripts/pg-test-cluster.sh start "$PG_DIR")" || fail "could not start PostgreSQL for the tests"
export PED_TEST_PG
export PED_REQUIRE_PG=1 # the PostgreSQL cases must run, not skip
echo "PostgreSQL: ${PED_TEST_PG}"

step "Running tests (preset ${PRESET})"
mkdir -p "$(dirname "$CTEST_LOG")"
rm -f "$JUNIT_FILE"
set +e
ctest --preset "$PRESET" --output-on-failure 2>&1 | tee "$CTEST_LOG"
ctest_rc=${PIPESTATUS[0]}
set -e

step "Fuzzing briefly (${FUZZ_SECONDS:-4} s per target; scripts/fuzz.sh runs longer)"
set +e
# A fixed seed: the brief run tries the same inputs every time, so a red run
# is a fault that stays (scripts/fuzz.sh alone explores at random).
FUZZ_SEED="${FUZZ_SEED:-1}" ./scripts/fuzz.sh "${FUZZ_SECONDS:-4}" 2>&1 | grep -E '^fuzz |ERROR|SUMMARY|replay'
fuzz_rc=${PIPESTATUS[0]}
set -e

# Counts come from CTest's own summary line:
#   "95% tests passed, 1 tests failed out of 20"
summary_line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$CTEST_LOG" | tail -n 1 || true)"
if [[ -n "$summary_line" ]]; then
  failed="$(sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary_line")"
  total="$(sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary_line")"
else
  failed=0
  total=0
fi

# Tests CTest did not run (GTEST_SKIP, disabled) are listed under
# "The following tests did not run:" and counted as passed in the line above.
skipped="$(sed -n '/^The following tests did not run:/,/^$/p' "$CTEST_LOG" | grep -cE '^[[:space:]]+[0-9]+ - ' || true)"
passed=$((total - failed - skipped))

if [[ -f "$JUNIT_FILE" ]]; then
  printf '\nJUnit report: %s\n' "$JUNIT_FILE"
fi

status=0
if ((total == 0)); then
  printf 'test.sh: no test ran (preset %s)\n' "$PRESET" >&2
  status=1
elif ((failed > 0)); then
  status=1
elif ((ctest_rc != 0)); then
  printf 'test.sh: ctest exited with code %d\n' "$ctest_rc" >&2
  status=1
fi
if ((fuzz_rc != 0)); then
  printf 'test.sh: a fuzz target failed (see build/fuzz/*.log)\n' >&2
  status=1
fi

echo
if ((skipped > 0)); then
  echo "${passed} passed, ${failed} failed, ${skipped} skipped"
else
  echo "${passed} passed, ${failed} failed"
fi
exit "$status"
