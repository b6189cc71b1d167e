#!/usr/bin/env bash
# Builds the BMP fuzzer (clang, ASan + UBSan) in build/fuzz and runs it for a bounded
# time, seeded from the public test pictures in tests/data/bmpsuite. Exits non-zero if it
# finds anything, or if it cannot run.
#
#   scripts/run_fuzz.sh                      # about 60 s
#   TORVANE_FUZZ_SECONDS=600 scripts/run_fuzz.sh
#   TORVANE_FUZZ_JOBS=2 scripts/run_fuzz.sh  # parallel workers (default 1)
#
# New interesting inputs collect in build/fuzz/corpus; crashes land in build/fuzz/findings.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TORVANE_FUZZ_BUILD:-$repo/build/fuzz}"
suite="$repo/tests/data/bmpsuite"
seconds="${TORVANE_FUZZ_SECONDS:-60}"
jobs="${TORVANE_FUZZ_JOBS:-1}"

mkdir -p "$build"
# Ninja, which scripts/setup.sh installs; a fresh machine has no make. A tree configured
# earlier with another generator is configured anew.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -G Ninja -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTORVANE_FUZZ=ON -DTORVANE_BENCHMARKS=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target bmp_fuzzer -j "$(nproc)"

work="$build/corpus"
findings="$build/findings"
# Findings are about this run only; earlier ones stay in findings.old for reference.
if compgen -G "$findings/*" >/dev/null; then
  rm -rf "$findings.old" && mv "$findings" "$findings.old"
fi
mkdir -p "$work" "$findings"
seeds=()
for d in g q b; do
  if ! compgen -G "$suite/$d/*.bmp" >/dev/null; then
    echo "run_fuzz: the seed pictures $suite/$d are missing" >&2
    exit 1
  fi
  seeds+=("$suite/$d")
done

# More than one job makes libFuzzer fork workers that log to fuzz-N.log in the current
# folder, so run from the build folder.
parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
fuzzer="$(find "$build" -name bmp_fuzzer -type f -perm -u+x | head -n 1)"

# The first folder receives new inputs; the seed pictures are only read.
status=0
(cd "$build" && "$fuzzer" "$work" "${seeds[@]}" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -print_final_stats=1 -artifact_prefix="$findings/" "${parallel[@]}") || status=$?

if [ "$status" -ne 0 ] || compgen -G "$findings/*" >/dev/null; then
  echo "run_fuzz: the fuzzer found problems (exit $status); inputs in $findings" >&2
  exit 1
fi
echo "run_fuzz: no findings in ${seconds}s"
