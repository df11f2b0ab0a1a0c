#!/usr/bin/env bash
# Counts the non-blank, non-comment lines of C++ (.h, .hpp, .cpp, .cc) that git tracks or would
# track (untracked files not ignored): product code in framework/, stats/, examples/ and bench/,
# test code in tests/ and fuzz/, and the share of the tests. A line counts unless it is empty,
# blank or starts with "//" after its indentation.
# Usage: scripts/count-lines.sh [-v]   (-v also prints the count of every folder and subfolder)
set -euo pipefail
cd "$(dirname "$0")/.."

files=$( (git ls-files; git ls-files --others --exclude-standard) | sort -u |
  grep -E '\.(h|hpp|cpp|cc)$' || true)

# Lines of the files under the folders named (an extended regular expression of prefixes).
count() {
  printf '%s\n' "$files" | grep -E "^($1)/" | tr '\n' '\0' | xargs -0 -r cat |
    grep -cvE '^\s*(//.*)?$' || true
}

product=$(count 'framework|stats|examples|bench')
tests=$(count 'tests|fuzz')
if [ "${1:-}" = "-v" ]; then
  # Every top-level folder, then each of its subfolders.
  for folder in $(printf '%s\n' "$files" | sed -nE 's#^(([^/]+)/([^/]+/)?).*#\2\n\1#p' |
      sed 's#/$##' | sort -u); do
    printf '  %-24s %6d\n' "$folder" "$(count "$folder")"
  done
fi
printf 'product %d lines (framework/ stats/ examples/ bench/)\n' "$product"
printf 'tests   %d lines (tests/ fuzz/)\n' "$tests"
if [ "$product" -gt 0 ]; then
  printf 'share   %d%%\n' $(( (100 * tests + product / 2) / product ))
fi
