#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. scripts/setup.sh (packages, the ja_JP.UTF-8 locale)
#   2. native build + headless tests           (preset native)
#   3. sanitizer build + headless tests        (preset asan)
#   4. Torvane.exe and the e2e test programs   (preset mingw)
#   5. end-to-end tests under Wine and Xvfb    (test preset e2e)
#   6. scripts/run_fuzz.sh, when present
# Every stage runs even when an earlier one failed (unless it needs that one's build), so one
# run shows every problem. Ends with a summary and the line "N passed, N failed"; the exit
# code is non-zero when anything failed.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1
logs="$repo/build/logs"
mkdir -p "$logs"

jobs=2
passed=0
failed=0
summary=()
run_started=$SECONDS

note() { printf '\n==> %s\n' "$*"; }

# Runs a command with its output shown and kept in build/logs/<name>.log.
logged() {
  local name=$1
  shift
  "$@" 2>&1 | tee "$logs/$name.log"
  return "${PIPESTATUS[0]}"
}

# Records the outcome of a stage that is not a test run (set-up, a build).
record_step() {
  local name=$1 status=$2 started=$3
  local took=$((SECONDS - started))
  if [ "$status" -eq 0 ]; then
    summary+=("$(printf '%-22s ok        %4ds' "$name" "$took")")
  else
    summary+=("$(printf '%-22s FAILED    %4ds  (build/logs/%s.log)' "$name" "$took" "$name")")
    failed=$((failed + 1))
  fi
}

# Records a ctest run from its closing line "NN% tests passed, F tests failed out of T".
# A test that ctest reports as skipped or not run counts as failed: every input and tool the
# tests need is in the repository or installed by scripts/setup.sh, so a skip means a fault.
record_tests() {
  local name=$1 status=$2 started=$3
  local took=$((SECONDS - started))
  local line total bad skipped good
  line="$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$name.log" | tail -n 1)"
  if [ -n "$line" ]; then
    bad="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
    total="$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")"
    skipped="$(grep -cE '\*\*\*(Skipped|Not Run)' "$logs/$name.log")"
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ] && [ "$skipped" -eq 0 ]; then
      bad=1 # ctest failed without a failing test (no tests, a crash)
    fi
    good=$((total - bad - skipped < 0 ? 0 : total - bad - skipped))
    passed=$((passed + good))
    failed=$((failed + bad + skipped))
    summary+=("$(printf '%-22s %-9s %4ds  %d of %d tests passed%s' "$name" \
      "$([ $((bad + skipped)) -eq 0 ] && echo ok || echo FAILED)" "$took" "$good" "$total" \
      "$([ "$skipped" -gt 0 ] && echo ", $skipped skipped (counted as failed)")")")
  else
    failed=$((failed + 1))
    summary+=("$(printf '%-22s FAILED    %4ds  no test results (build/logs/%s.log)' "$name" "$took" "$name")")
  fi
}

skip() { summary+=("$(printf '%-22s skipped          (%s)' "$1" "$2")"); }

# Builds and tests one native preset.
native_preset() {
  local preset=$1 started
  note "$preset: configure and build"
  started=$SECONDS
  if logged "$preset-build" bash -c "cmake --preset $preset && cmake --build --preset $preset -j$jobs"; then
    record_step "$preset-build" 0 "$started"
    note "$preset: tests"
    started=$SECONDS
    logged "$preset-tests" ctest --preset "$preset"
    record_tests "$preset-tests" $? "$started"
  else
    record_step "$preset-build" 1 "$started"
    skip "$preset-tests" "build failed"
  fi
}

# --- 1. set-up --------------------------------------------------------------------------
note "setup: packages and locale"
started=$SECONDS
logged setup bash scripts/setup.sh
status=$?
record_step setup "$status" "$started"
if [ "$status" -ne 0 ]; then
  printf '\n%s\n' "${summary[@]}"
  echo "0 passed, 1 failed"
  exit 1
fi

# Wine and Xvfb are started on demand by the e2e tests; stop whatever they left at the end.
. "$repo/scripts/wine-env.sh"
trap 'torvane_wine_stop' EXIT

# --- 2, 3. native and sanitizer builds ---------------------------------------------------
native_preset native
native_preset asan

# --- 4, 5. Torvane.exe and the end-to-end tests -------------------------------------------
note "mingw: configure and build"
started=$SECONDS
if logged mingw-build bash -c "cmake --preset mingw && cmake --build --preset mingw -j$jobs"; then
  record_step mingw-build 0 "$started"
  note "e2e: tests under Wine"
  started=$SECONDS
  logged e2e-tests ctest --preset e2e
  record_tests e2e-tests $? "$started"
else
  record_step mingw-build 1 "$started"
  skip e2e-tests "build failed"
fi

# --- 6. fuzzing ---------------------------------------------------------------------------
if [ -f scripts/run_fuzz.sh ]; then
  note "fuzz: scripts/run_fuzz.sh"
  started=$SECONDS
  logged fuzz bash scripts/run_fuzz.sh
  status=$?
  record_step fuzz "$status" "$started"
  [ "$status" -eq 0 ] && passed=$((passed + 1))
else
  skip fuzz "no scripts/run_fuzz.sh"
fi

note "summary ($(((SECONDS - run_started) / 60)) min $(((SECONDS - run_started) % 60)) s)"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
