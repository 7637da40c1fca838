#!/usr/bin/env bash
# The long versions of the server's proofs, one line of figures each:
#
#   scripts/soak.sh                          # memory=600 large=3 slow=60 login=60 (seconds; large: bursts)
#   scripts/soak.sh memory=60 slow=10        # shorter; name=0 leaves a proof out
#   PED_SOAK_DB="host=... dbname=..." scripts/soak.sh   # on a PostgreSQL demo database
#
# Builds the release preset's server first. Exits non-zero when a bound is
# broken. Then the race and crash proofs of the settlement, longer than in
# ./test.sh (PED_PROOF_ROUNDS, PED_PROOF_CRASHES, PED_PROOF_SCREENS; on
# PostgreSQL too when PED_TEST_PG names a cluster; PED_SOAK_PROOFS=0 leaves
# them out).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset release >/dev/null
cmake --build build/release --target ped00800-server ped00800-demo server_proof_tests -j 2 >/dev/null

status=0
python3 scripts/soak.py "$@" || status=1

# --- Race and crash proofs -------------------------------------------------
# Each proof prints one line of figures; a broken rule fails its test.
if [[ "${PED_SOAK_PROOFS:-1}" != 0 ]]; then
  PED_PROOF_ROUNDS="${PED_PROOF_ROUNDS:-200}" PED_PROOF_CRASHES="${PED_PROOF_CRASHES:-100}" \
    PED_PROOF_SCREENS="${PED_PROOF_SCREENS:-32}" \
    build/release/tests/server/server_proof_tests --gtest_brief=1 || status=1
fi

exit "$status"
