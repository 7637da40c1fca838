#!/usr/bin/env bash
# Takes the operator's guide's pictures again and puts them in docs/images/guia.
#
#   scripts/guide-pictures.sh              # release preset (build/release)
#   PRESET=ci scripts/guide-pictures.sh
#
# The window tests take the pictures into the build folder on every run, so a
# test run never changes the checkout; this script is the one step that does.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
PRESET="${PRESET:-release}"
BUILD_DIR="build/${PRESET}"
cmake --preset "$PRESET" >/dev/null
cmake --build "$BUILD_DIR" -j 2 --target views_tests
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "${BUILD_DIR}/tests/views/views_tests" \
  --gtest_filter='OperatorGuide.*:LotProposalWindow.*:OrderHistoryWindow.*'
mkdir -p docs/images/guia
cp "${BUILD_DIR}/docs/images/guia/"*.png docs/images/guia/
echo "guide-pictures: $(ls "${BUILD_DIR}/docs/images/guia/"*.png | wc -l) pictures copied into docs/images/guia"
