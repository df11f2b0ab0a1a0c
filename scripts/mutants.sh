#!/usr/bin/env bash
# Planted faults: applies each fault of scripts/mutants/ on its own to a scratch copy of the
# sources, rebuilds incrementally, runs the test suite and reports whether the suite caught it
# (a test failed or timed out). The sources themselves are never touched.
#
# Usage: scripts/mutants.sh [NAME-PATTERN ...]
#   NAME-PATTERN  shell patterns over fault names (the file names without .patch); all by default
# Environment:
#   MUTANTS_DIR           scratch directory (default build-mutants): src/, build/, logs/, results.txt
#   MUTANTS_ALL_TESTS=1   run the whole suite for each fault and list every test that failed
#                         (default: stop at the first failure)
#   MUTANTS_TEST_TIMEOUT  seconds allowed to one test (default 300)
#   MUTANTS_RUN_TIMEOUT   seconds allowed to the suite of one fault (default 1200)
#   JOBS                  parallel build jobs and tests (default 2)
#   MUTANTS_TARGETS       build only these targets (default: all), e.g. "framework_tests"
#   MUTANTS_LABELS        run only the tests whose label matches this regular expression (ctest
#                         -L); every test binary's cases carry its name, e.g. "framework_tests"
#
# A fault is one file scripts/mutants/NAME.patch: a line describing it, then a unified diff
# against the repository root (make one with `git diff > scripts/mutants/NAME.patch` and add the
# line on top). Faults whose patch no longer applies are reported as stale, faults that do not
# build as such; neither counts as caught. The packaging test (install.consumer) is left out: it
# builds an outside project and is far slower than any fault it could catch.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${MUTANTS_DIR:-$root/build-mutants}
src=$dir/src
build=$dir/build
logs=$dir/logs
jobs=${JOBS:-2}
test_timeout=${MUTANTS_TEST_TIMEOUT:-300}
run_timeout=${MUTANTS_RUN_TIMEOUT:-1200}
mkdir -p "$src" "$logs"

# Copies the tracked and untracked-but-not-ignored files into the scratch tree. A file is only
# rewritten when its content differs, so that the build stays incremental; a rewritten file gets
# a new time stamp and is rebuilt.
sync_sources() {
  local list=$dir/files.txt
  (cd "$root" && { git ls-files; git ls-files --others --exclude-standard; } | sort -u) >"$list"
  while IFS= read -r file; do
    [ -f "$root/$file" ] || continue
    if ! cmp -s "$root/$file" "$src/$file"; then
      mkdir -p "$(dirname "$src/$file")"
      cp "$root/$file" "$src/$file"
    fi
  done <"$list"
  (cd "$src" && find . -type f | sed 's#^\./##') | sort | comm -13 "$list" - |
    while IFS= read -r stale; do rm -f "$src/$stale"; done
}

# The files a patch changes.
touched_files() { sed -nE 's#^\+\+\+ b/([^[:space:]]+).*#\1#p' "$1"; }

saved=$dir/saved
current=""
# Puts back the files the current fault changed, with a new time stamp so they are rebuilt.
restore() {
  [ -n "$current" ] || return 0
  local file
  while IFS= read -r file; do
    [ -f "$saved/$file" ] && cp "$saved/$file" "$src/$file"
  done < <(touched_files "$current")
  current=""
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

targets=()
for target in ${MUTANTS_TARGETS:-}; do targets+=(--target "$target"); done
labels=()
[ -n "${MUTANTS_LABELS:-}" ] && labels=(-L "$MUTANTS_LABELS")
build_tree() { cmake --build "$build" -j "$jobs" "${targets[@]}" >>"$1" 2>&1; }

# Runs the suite; prints the names of the failed tests and returns non-zero when any failed.
run_suite() {
  local log=$1
  local stop=--stop-on-failure
  [ "${MUTANTS_ALL_TESTS:-0}" = 1 ] && stop=
  (cd "$build" && timeout "$run_timeout" ctest -j "$jobs" --timeout "$test_timeout" $stop \
    "${labels[@]}" -E '^install\.' >>"$log" 2>&1)
  local status=$?
  if [ $status -eq 124 ]; then
    echo "(suite timed out)"
  else
    sed -n '/The following tests FAILED/,$p' "$log" | sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+).*/\1/p' |
      tr '\n' ' '
  fi
  return $status
}

launcher=
command -v ccache >/dev/null 2>&1 && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

echo "mutants: syncing sources into $src"
sync_sources
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher >"$logs/configure.log" 2>&1 ||
  { echo "mutants: configure failed, see $logs/configure.log"; exit 2; }
echo "mutants: building and running the suite without a fault"
: >"$logs/baseline.log"
build_tree "$logs/baseline.log" || { echo "mutants: the build fails, see $logs/baseline.log"; exit 2; }
if ! failed=$(run_suite "$logs/baseline.log"); then
  echo "mutants: the suite fails without a fault ($failed), see $logs/baseline.log"
  exit 2
fi

patterns=("$@")
[ ${#patterns[@]} -eq 0 ] && patterns=('*')
results=$dir/results.txt
: >"$results"
caught=0 missed=0 stale=0 unbuilt=0
for patch in "$root"/scripts/mutants/*.patch; do
  name=$(basename "$patch" .patch)
  selected=0
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053
    [[ $name == $pattern ]] && selected=1
  done
  [ $selected = 1 ] || continue
  log=$logs/$name.log
  : >"$log"
  if ! (cd "$src" && patch -p1 --dry-run --silent <"$patch" >>"$log" 2>&1); then
    line="stale    $name"
    stale=$((stale + 1))
  else
    while IFS= read -r file; do
      mkdir -p "$(dirname "$saved/$file")"
      cp "$src/$file" "$saved/$file"
    done < <(touched_files "$patch")
    current=$patch
    (cd "$src" && patch -p1 --silent --no-backup-if-mismatch <"$patch" >>"$log" 2>&1)
    start=$SECONDS
    if ! build_tree "$log"; then
      line="unbuilt  $name"
      unbuilt=$((unbuilt + 1))
    elif failed=$(run_suite "$log"); then
      line="MISSED   $name  ($((SECONDS - start)) s)"
      missed=$((missed + 1))
    else
      line="caught   $name  ($((SECONDS - start)) s) by: $failed"
      caught=$((caught + 1))
    fi
    restore
  fi
  echo "$line" | tee -a "$results"
done

total=$((caught + missed))
echo "mutants: caught $caught of $total faults (missed $missed, stale $stale, not building $unbuilt)" |
  tee -a "$results"
