#!/usr/bin/env bash
# scripts/mutants.sh on a made-up project of one source file, with a stand-in ctest whose
# tests look for words in that file and cmake, git and Wine left out of the way: its verdicts
# (killed, SURVIVED, FLAKY, ERROR), the run of the code as it is before any fault, --changed,
# and the file put back. Builds nothing; runs in a second or two.
set -uo pipefail

script="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/mutants.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check WHAT CONDITION...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}
has() { grep -qF -- "$2" <<<"$1"; }

mkdir -p "$work/repo/scripts" "$work/repo/src" "$work/bin"
cp "$script" "$work/repo/scripts/"
echo 'torvane_wine_ensure() { :; }; torvane_wine_stop() { :; }' >"$work/repo/scripts/wine-env.sh"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/cmake"
# The stand-in ctest prints what the real one prints. unit.Catches fails while rule.cpp says
# "broken", unit.Wobbly only the first time it meets "wobbly", and the e2e test on "crooked".
cat >"$work/bin/ctest" <<'EOF'
#!/usr/bin/env bash
preset="" regex="." stop=0
while [ $# -gt 0 ]; do
  case "$1" in
    --preset) preset=$2; shift ;;
    -R) regex=$2 ;;
    --stop-on-failure) stop=1 ;;
  esac
  shift
done
echo "$preset $regex" >>"$FAKE_DIR/calls"
src="$(cat src/rule.cpp)"
if [ "$preset" = native ]; then
  tests=("unit.Catches" "P/unit.Wobbly/0  # GetParam() = 2")
else tests=("window.Crooked"); fi
ran=0 bad=()
for t in "${tests[@]}"; do
  grep -qE -- "$regex" <<<"$t" || continue
  ran=$((ran + 1))
  case "$t" in
    unit.Catches) [[ $src == *broken* ]] && bad+=("$ran - $t") ;;
    P/unit.Wobbly*) [[ $src == *wobbly* && ! -e $FAKE_DIR/wobbled ]] &&
      touch "$FAKE_DIR/wobbled" && bad+=("$ran - $t") ;;
    window.Crooked) [[ $src == *crooked* ]] && bad+=("$ran - $t") ;;
  esac
  [ $stop -eq 1 ] && [ ${#bad[@]} -gt 0 ] && break
done
[ $ran -eq 0 ] && { echo "No tests were found!!!" >&2; exit 8; }
echo "$(((ran - ${#bad[@]}) * 100 / ran))% tests passed, ${#bad[@]} tests failed out of $ran"
[ ${#bad[@]} -eq 0 ] && exit 0
printf '\nThe following tests FAILED:\n'
printf '\t%3s (Failed)\n' "${bad[@]}"
echo "Errors while running CTest" >&2
exit 8
EOF
chmod +x "$work/bin/cmake" "$work/bin/ctest"
printf 'int rule = good;\nint other = 1;\n' >"$work/repo/src/rule.cpp"
echo 'int x = 1;' >"$work/repo/src/other.cpp"
cat >"$work/faults.txt" <<'EOF'
# caught by the headless tests
@ native src/rule.cpp
- good
+ broken

# no test sees this one
@ native src/rule.cpp
- good
+ fine

# its text is gone from the code
@ native src/rule.cpp
- gone
+ broken

# a test fails once and then passes
@ native src/rule.cpp
- good
+ wobbly

# the headless tests miss it, the Wine test catches it
@ all:Crooked src/rule.cpp
- good
+ crooked

# a fault in the other file
@ native:Catches src/other.cpp
- int x = 1;
+ int x = 2;
EOF
cd "$work/repo" || exit 1
git init -q -b main . && git add -A && git -c user.name=t -c user.email=t@t commit -qm one
run() { PATH="$work/bin:$PATH" FAKE_DIR="$work" bash scripts/mutants.sh --faults "$work/faults.txt" "$@" 2>&1; }

out="$(run)"
status=$?
check "every fault: non-zero exit for a survivor, a flaky one and an error" [ $status -ne 0 ]
check "a caught fault is killed" has "$out" " 1 native   caught by the headless tests: killed"
check "an uncaught fault survives" has "$out" " 2 native   no test sees this one: SURVIVED"
check "a missing text is an error" has "$out" " 3 native   its text is gone from the code: ERROR (old text not found"
check "a failure that does not come again is flaky" has "$out" " 4 native   a test fails once and then passes: FLAKY ("
check "... with the test named" \
  has "$out" "passed again: P/unit.Wobbly/0  # GetParam() = 2)"
check "the Wine tests run when the headless ones miss" has "$out" " 5 all      the headless tests miss it, the Wine test catches it: killed"
check "the score" has "$out" "score: 2 of 4 faults killed (50 %), 1 flaky, 1 errors"
check "both suites run once before the faults, with the faults' filter" \
  [ "$(head -n 2 "$work/calls")" = $'native .\ne2e (Crooked)' ]
check "a failure is run again by its exact name" grep -qxF 'native ^(unit\.Catches)$' "$work/calls"
check "the file is put back" [ "$(cat src/rule.cpp)" = $'int rule = good;\nint other = 1;' ]

out="$(run --only caught)"
check "only killed faults: exit 0" [ $? -eq 0 ]
: >"$work/calls"
out="$(run --only 'other file')"
check "a suite's filter, before the fault and with it" \
  [ "$(cat "$work/calls")" = $'native (Catches)\nnative Catches' ]
rm -f "$work/wobbled"
out="$(run --only 'fails once')"
check "a flaky fault alone: non-zero exit" [ $? -ne 0 ]

sed -i 's/good/broken/' src/rule.cpp
: >"$work/calls"
out="$(run --suite native)"
status=$?
check "a test failing without a fault stops the check" [ $status -eq 3 ]
check "... and is named" has "$out" "  unit.Catches"
check "... before any fault" [ "$(wc -l <"$work/calls")" -eq 1 ]
git checkout -q src/rule.cpp

git checkout -q -b work && echo 'int x = 1; // changed' >src/other.cpp
git -c user.name=t -c user.email=t@t commit -qam two
echo 'notes' >notes.txt && git add notes.txt && git -c user.name=t -c user.email=t@t commit -qm three
out="$(run --changed --list)"
check "--changed: the faults of files changed by every commit of the branch" has "$out" " 6 native   a fault in the other file"
check "--changed: no fault of an unchanged file" [ "$(grep -c '^ [0-9] ' <<<"$out")" -eq 1 ]
echo '// new' >>src/rule.cpp
out="$(run --changed --suite all --list)"
check "--changed with --suite, uncommitted changes included" [ "$(grep -c '^ [0-9] ' <<<"$out")" -eq 1 ]
check "... the fault of the uncommitted change" has "$out" " 5 all"
out="$(run --changed HEAD --list)"
check "--changed COMMIT: only what differs from it" [ "$(grep -c '^ [0-9] ' <<<"$out")" -eq 5 ]
git checkout -q src/rule.cpp
cp "$work/faults.txt" scripts/mutants.txt && git add scripts/mutants.txt &&
  git -c user.name=t -c user.email=t@t commit -qm list
printf '\n# a new fault of an unchanged file\n@ native src/rule.cpp\n- int other = 1;\n+ int other = 2;\n' \
  >>scripts/mutants.txt
out="$(PATH="$work/bin:$PATH" bash scripts/mutants.sh --changed HEAD --list 2>&1)"
check "--changed: a fault new to the list, though its file did not change" \
  [ "$(grep '^ [0-9] ' <<<"$out")" = " 7 native   a new fault of an unchanged file" ]

[ $failures -eq 0 ] && echo "all checks passed"
[ $failures -eq 0 ]
