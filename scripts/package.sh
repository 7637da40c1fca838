#!/usr/bin/env bash
# Builds the Debian packages ped00800-server and ped00800-client.
#
#   scripts/package.sh                  # configures and builds the release preset's shipped targets
#   scripts/package.sh --preset ci      # another preset's build tree (build/ci)
#   scripts/package.sh --build-dir DIR --no-build   # packages a tree that is already built
#
# Only the shipped targets are built (an existing build is reused as it is).
# Both .deb files land in <build dir>/packages/; their paths are printed, one
# a line, last. Needs dpkg-dev (dpkg-shlibdeps); ./scripts/install-deps.sh
# installs it.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

SHIPPED_TARGETS=(ped00800-server ped00800-demo ped-host ped00800_module)

preset=release
build_dir=""
build=1
while (($# > 0)); do
  case "$1" in
    --preset)
      preset="${2:?--preset needs a name}"
      shift 2
      ;;
    --build-dir)
      build_dir="${2:?--build-dir needs a folder}"
      shift 2
      ;;
    --no-build)
      build=0
      shift
      ;;
    -h | --help)
      sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      printf 'package.sh: unknown argument "%s" (see --help)\n' "$1" >&2
      exit 2
      ;;
  esac
done
build_dir="${build_dir:-build/${preset}}"

fail() {
  printf 'package.sh: %s\n' "$*" >&2
  exit 1
}

command -v dpkg-shlibdeps >/dev/null 2>&1 || fail "dpkg-shlibdeps not found: run ./scripts/install-deps.sh (dpkg-dev)."

if ((build)); then
  if [[ ! -f "${build_dir}/CMakeCache.txt" ]]; then
    [[ "$build_dir" == "build/${preset}" ]] || fail "${build_dir} is not a configured build tree."
    cmake --preset "$preset" >/dev/null || fail "configure failed (preset ${preset})"
  fi
  cmake --build "$build_dir" --target "${SHIPPED_TARGETS[@]}" -j 2 || fail "build failed in ${build_dir}"
fi
[[ -f "${build_dir}/CPackConfig.cmake" ]] || fail "${build_dir} is not a configured build tree."

out_dir="${build_dir}/packages"
rm -f "${out_dir}"/*.deb
# cpack's log goes to a file; it is shown only when packaging fails.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! (cd "$build_dir" && cpack --config CPackConfig.cmake -G DEB) >"$log" 2>&1; then
  cat "$log" >&2
  fail "cpack failed in ${build_dir}"
fi

debs=("${out_dir}"/*.deb)
((${#debs[@]} == 2)) && [[ -f "${debs[0]}" ]] || {
  cat "$log" >&2
  fail "expected two .deb files in ${out_dir}, found: ${debs[*]}"
}
for deb in "${debs[@]}"; do
  realpath "$deb"
done
