#!/usr/bin/env bash
# The long versions of the server's proofs, one line of figures each:
#
#   scripts/soak.sh                          # memory=600 large=3 slow=60 login=60 (seconds; large: bursts)
#   scripts/soak.sh memory=60 slow=10        # shorter; name=0 leaves a proof out
#   PED_SOAK_DB="host=... dbname=..." scripts/soak.sh   # on a PostgreSQL demo database
#
# Builds the release preset's server first. Exits non-zero when a bound is
# broken. The race and crash proofs of the settlement are added below.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
export CCACHE_DIR="${CCACHE_DIR:-/work/.ccache}"
cmake --preset release >/dev/null
cmake --build build/release --target ped00800-server ped00800-demo -j 2 >/dev/null

status=0
python3 scripts/soak.py "$@" || status=1

# --- Race and crash proofs -------------------------------------------------
# One command per proof, each printing one line of figures, e.g.
#   build/release/tests/server/<proof> --duration=600 || status=1

exit "$status"
