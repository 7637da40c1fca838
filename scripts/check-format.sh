#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it
# with the project's .clang-format; `scripts/check-format.sh --fix` rewrites
# them in place instead.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
}

mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp' '*.cc')
if [[ "${1:-}" == "--fix" ]]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$format" -i
  exit 0
fi

if ! printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$format" --dry-run --Werror 2>/tmp/check-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/check-format.$$ | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
  rm -f /tmp/check-format.$$
  echo "check-format: the files above drift from .clang-format; run scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: ${#files[@]} files as .clang-format wants them"
