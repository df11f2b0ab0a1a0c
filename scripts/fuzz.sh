#!/usr/bin/env bash
# Runs each libFuzzer harness of a fuzz build for a bounded time over a scratch copy of its
# checked-in corpus, so the repository's corpus is never written. Crash inputs are kept under
# the build directory.
# Usage: scripts/fuzz.sh BUILD_DIR [SECONDS] [HARNESS ...]
set -euo pipefail

build=${1:?usage: scripts/fuzz.sh BUILD_DIR [SECONDS] [HARNESS ...]}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(records methods values wire)

root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for harness in "${harnesses[@]}"; do
  fuzzer="$build/fuzz/${harness}_fuzzer"
  artifacts="$build/fuzz-artifacts/$harness/"
  mkdir -p "$scratch/$harness" "$artifacts"
  cp -r "$root/fuzz/corpus/$harness/." "$scratch/$harness/" 2>/dev/null || true
  echo "fuzz: $harness for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts" \
      "$scratch/$harness"; then
    echo "fuzz: $harness found a fault; inputs under $artifacts" >&2
    status=1
  fi
done
exit $status
