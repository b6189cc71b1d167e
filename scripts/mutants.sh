#!/usr/bin/env bash
# The mutation check: puts the deliberate faults of scripts/mutants.txt into the code one at a
# time, rebuilds, runs the tests that should catch the fault and says which faults no test
# caught. Slow (a build and a test run per fault), so it is run by hand, never in CI:
#
#   bash scripts/mutants.sh                   # every fault
#   bash scripts/mutants.sh --changed         # only the faults of files this branch changed
#   bash scripts/mutants.sh --changed HEAD~3  # ... changed since that commit
#   bash scripts/mutants.sh --suite e2e       # only the faults for the Wine tests alone
#   bash scripts/mutants.sh --only 'Help|help' # only faults whose rule or file matches
#   bash scripts/mutants.sh --list            # the faults, without running anything
#
# A fault is an exact replacement of one text in one file. Its suite says which tests run:
# "native" the headless tests, "native:REGEX" only those whose name matches REGEX, "e2e" the
# tests under Wine (backend and end to end), "e2e:REGEX" only the Wine tests whose name
# matches REGEX, "all" or "all:REGEX" the headless tests and, when they miss the fault, those
# Wine tests too. A fault whose text is not found (or found twice) is an error, not a kill:
# the list has to follow the code.
#
# Before any fault, every suite the chosen faults use runs once on the code as it is; a test
# failing there would make every fault look killed, so the check stops and names it.
# A fault is killed only when a test that failed with it fails again when run once more (the
# build still holding the fault); a failure that does not come again is FLAKY: neither a kill
# nor a survivor, listed apart. ctest stops at the first failure, so a FLAKY fault has not
# met the tests after that one: run it again with --only.
#
# --changed [COMMIT] keeps the faults whose file differs between COMMIT and the work tree
# (commits since then, staged and unstaged changes, new files), and the faults the list did
# not have at COMMIT (a new test of old code brings its fault along). Without COMMIT it is the
# point where this branch left main (git merge-base HEAD main), so it covers the work not yet
# on main; on main itself it is HEAD~1, the last commit. It combines with --only and --suite.
#
# The exit code is 0 only when every chosen fault was killed: no survivor, no FLAKY, no error.
# The file is put back after each fault, also on Ctrl+C. The build folders are the usual
# ones (build/native, build/mingw); the next ordinary build rebuilds what the faults touched.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1
list_file="$repo/scripts/mutants.txt"
only="" suite_filter="" list_only=0 changed=0 changed_base=""
usage="usage: $0 [--only REGEX] [--suite native|e2e|all] [--changed [COMMIT]] [--list] [--faults FILE]"
while [ $# -gt 0 ]; do
  case "$1" in
    --only) only="$2"; shift 2 ;;
    --suite) suite_filter="$2"; shift 2 ;;
    --list) list_only=1; shift ;;
    --faults) list_file="$2"; shift 2 ;;
    --changed)
      changed=1; shift
      if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then changed_base="$1"; shift; fi ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

# ---- the list -----------------------------------------------------------------------------
# A fault is a "#" line naming the rule, "@ SUITE FILE", "- OLD" and "+ NEW"; OLD and NEW
# go on over the lines that follow them as they stand (lines of code, which never begin
# with "#", "@", "- " or "+ "). Blank lines between faults.
rules=() suites=() files=() olds=() news=()
rule="" part=""
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    "") part="" ;;
    "# "*) rule="${line#\# }"; part="" ;;
    "@ "*) read -r _ s f <<<"$line"; suites+=("$s"); files+=("$f"); rules+=("$rule"); part="" ;;
    "- "*) olds+=("${line#- }"); part=old ;;
    "+ "*) news+=("${line#+ }"); part=new ;;
    *)
      if [ "$part" = old ]; then olds[-1]+=$'\n'"$line"
      elif [ "$part" = new ]; then news[-1]+=$'\n'"$line"
      fi ;;
  esac
done <"$list_file"
if [ ${#suites[@]} -ne ${#olds[@]} ] || [ ${#suites[@]} -ne ${#news[@]} ]; then
  echo "mutants: $list_file is malformed:" \
    "${#suites[@]} headers, ${#olds[@]} old texts, ${#news[@]} new texts" >&2
  exit 2
fi

# ---- which faults -------------------------------------------------------------------------
changed_files="" base_list="" base_why=""
if [ $changed -eq 1 ]; then
  if [ -z "$changed_base" ]; then
    if [ "$(git symbolic-ref --short -q HEAD)" != main ] &&
      changed_base="$(git merge-base HEAD main 2>/dev/null)"; then
      base_why=" (where this branch left main)"
    else
      changed_base="HEAD~1"
    fi
  fi
  if ! changed_files="$(git diff --name-only "$changed_base" -- 2>/dev/null)"; then
    echo "mutants: --changed: git cannot compare the work tree with '$changed_base'" >&2
    exit 2
  fi
  changed_files+=$'\n'"$(git ls-files --others --exclude-standard)"
  # The list as it was (none when the list is not the project's own).
  list_path="$(realpath --relative-to="$repo" "$list_file")"
  base_list="$(git show "$changed_base:$list_path" 2>/dev/null)" || base_list=""
  echo "mutants: faults of the files changed since" \
    "$(git rev-parse --short "$changed_base")$base_why, uncommitted changes included"
fi
# A fault of a changed file, or one the list did not have.
is_changed() {
  grep -qxF -- "${files[$1]}" <<<"$changed_files" && return 0
  [ -n "$base_list" ] && [[ $base_list != *"@ ${suites[$1]} ${files[$1]}"$'\n'"- ${olds[$1]}"* ]]
}

chosen=()
for i in "${!suites[@]}"; do
  if [ -n "$suite_filter" ] && [ "${suites[$i]%%:*}" != "$suite_filter" ]; then continue; fi
  if [ -n "$only" ] && ! grep -Eq -- "$only" <<<"${rules[$i]} ${files[$i]}"; then continue; fi
  if [ $changed -eq 1 ] && ! is_changed "$i"; then continue; fi
  chosen+=("$i")
done

label_of() { printf '%2d %-8s %s' "$(($1 + 1))" "${suites[$1]%%:*}" "${rules[$1]}"; }

# ---- putting the file back --------------------------------------------------------------
backup="$(mktemp)"
current=""
restore() {
  if [ -n "$current" ]; then
    cp "$backup" "$current"
    current=""
  fi
}
trap 'restore; rm -f "$backup"; [ "${configured_mingw:-0}" -eq 0 ] || torvane_wine_stop' EXIT
trap 'echo; echo "mutants: interrupted; the file is restored"; exit 130' INT TERM

# Replaces the one occurrence of $2 in file $1 by $3 (only checks, with $4 = check); status
# 1 when there is none, 2 when there are several.
mutate() {
  local file=$1 old=$2 new=$3 content rest
  content="$(cat "$file"; printf x)"
  content="${content%x}"
  rest="${content#*"$old"}"
  [ "$rest" = "$content" ] && return 1
  [ "${rest#*"$old"}" != "$rest" ] && return 2
  [ "${4:-}" = check ] && return 0
  printf '%s' "${content%%"$old"*}$new$rest" >"$file"
}

if [ $list_only -eq 1 ]; then
  errors=0
  for i in "${chosen[@]}"; do
    label="$(label_of "$i")"
    mutate "$repo/${files[$i]}" "${olds[$i]}" "${news[$i]}" check 2>/dev/null
    case $? in
      0) echo "$label" ;;
      1) echo "$label: ERROR (old text not found in ${files[$i]})"; errors=$((errors + 1)) ;;
      *) echo "$label: ERROR (old text found twice in ${files[$i]})"; errors=$((errors + 1)) ;;
    esac
  done
  echo "${#chosen[@]} faults, $errors errors"
  [ $errors -eq 0 ]
  exit
fi

. "$repo/scripts/wine-env.sh"
logs="$repo/build/mutants"
mkdir -p "$logs"
configured_native=0 configured_mingw=0
ctest_out="$logs/ctest-output.txt"

# The names of the tests a ctest run in $ctest_out reported as failed, one a line ("  7 - NAME
# (Failed)"; a parameterised test's name goes on with spaces: "P/T.Name/0  # GetParam() = 2").
failed_names() {
  sed -n '/^The following tests FAILED:/,$p' "$ctest_out" |
    sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \([^()]*\)$/\1/p'
}

# A regex matching exactly the names given one a line.
names_regex() {
  printf '^(%s)$' "$(sed 's/[][\\.^$*+?()|]/\\&/g' | paste -sd '|')"
}

# Builds for the suite and runs its tests (ctest's arguments after the suite); leaves the
# failed tests' names in $failed and the test preset in $failed_preset. Status 0 when every
# test passed, 1 when some failed, 4 when it does not build, 5 when no test ran or ctest
# failed without naming a test.
run_suite() {
  local suite=$1 log=$2 preset regex="" status
  shift 2
  if [ "${suite%%:*}" = all ]; then
    run_suite native "$log" "$@" || return
    run_suite "e2e${suite#all}" "$log" "$@"
    return
  fi
  failed="" failed_preset=""
  case "$suite" in
    native) preset=native ;;
    native:*) preset=native; regex="${suite#native:}" ;;
    e2e) preset=mingw ;;
    e2e:*) preset=mingw; regex="${suite#e2e:}" ;;
    *) echo "unknown suite $suite" >>"$log"; return 5 ;;
  esac
  if [ "$preset" = native ] && [ $configured_native -eq 0 ]; then
    cmake --preset native >>"$log" 2>&1 && configured_native=1
  fi
  if [ "$preset" = mingw ] && [ $configured_mingw -eq 0 ]; then
    cmake --preset mingw >>"$log" 2>&1 && configured_mingw=1
    torvane_wine_ensure >>"$log" 2>&1
  fi
  if ! cmake --build --preset "$preset" -j2 >>"$log" 2>&1; then
    return 4
  fi
  local test_preset=$([ "$preset" = native ] && echo native || echo e2e)
  ctest --preset "$test_preset" "$@" ${regex:+-R "$regex"} >"$ctest_out" 2>&1
  status=$?
  cat "$ctest_out" >>"$log"
  grep -q "No tests were found" "$ctest_out" && return 5
  [ $status -eq 0 ] && return 0
  failed="$(failed_names)" failed_preset=$test_preset
  [ -n "$failed" ] || return 5
  return 1
}

# ---- the code as it is ----------------------------------------------------------------------
# Each suite once, with the union of the chosen faults' filters ("e2e" alone takes them all).
need_native=0 need_e2e=0 native_regexes=() e2e_regexes=() native_whole=0 e2e_whole=0
for i in "${chosen[@]}"; do
  s="${suites[$i]}"
  case "$s" in
    native | all*) need_native=1 native_whole=1 ;;
    native:*) need_native=1 native_regexes+=("(${s#*:})") ;;
  esac
  case "$s" in
    e2e | all) need_e2e=1 e2e_whole=1 ;;
    e2e:* | all:*) need_e2e=1 e2e_regexes+=("(${s#*:})") ;;
  esac
done
baseline=()
union() { printf '%s\n' "$@" | sort -u | paste -sd '|'; }
if [ $need_native -eq 1 ]; then
  if [ $native_whole -eq 1 ]; then baseline+=(native)
  else baseline+=("native:$(union "${native_regexes[@]}")"); fi
fi
if [ $need_e2e -eq 1 ]; then
  if [ $e2e_whole -eq 1 ]; then baseline+=(e2e)
  else baseline+=("e2e:$(union "${e2e_regexes[@]}")"); fi
fi
log="$logs/baseline.log"
: >"$log"
for suite in "${baseline[@]}"; do
  started=$SECONDS
  # Not stopping at the first failure: the message names every test that fails.
  run_suite "$suite" "$log"
  status=$?
  took=$((SECONDS - started))
  case $status in
    0) echo "baseline ${suite%%:*}: every test passed (${took}s)" ;;
    1)
      echo "mutants: the tests of suite $suite fail without any fault; no fault was run." >&2
      echo "Failing tests (log: build/mutants/baseline.log):" >&2
      sed "s/^/  /" <<<"$failed" >&2
      exit 3 ;;
    *)
      echo "mutants: suite $suite $([ $status -eq 4 ] && echo 'does not build' || echo 'ran no tests')" \
        "without any fault; no fault was run (log: build/mutants/baseline.log)" >&2
      exit 3 ;;
  esac
done

# ---- the faults ---------------------------------------------------------------------------
killed=0 survived=0 flaky=0 errors=0
survivors=() flakies=() broken=()
run_started=$SECONDS
for i in "${chosen[@]}"; do
  n=$((i + 1))
  label="$(label_of "$i")"
  file="$repo/${files[$i]}"
  log="$logs/fault-$n.log"
  : >"$log"
  if [ ! -f "$file" ]; then
    echo "$label: ERROR (no file ${files[$i]})"
    errors=$((errors + 1)); broken+=("$label"); continue
  fi
  cp "$file" "$backup"
  current="$file"
  mutate "$file" "${olds[$i]}" "${news[$i]}"
  status=$?
  if [ $status -ne 0 ]; then
    restore
    why="$([ $status -eq 1 ] && echo 'not found' || echo 'found twice')"
    echo "$label: ERROR (old text $why in ${files[$i]})"
    errors=$((errors + 1)); broken+=("$label"); continue
  fi
  started=$SECONDS
  # Stopping at the first failure is safe: that failure is run once more before it counts.
  run_suite "${suites[$i]}" "$log" --stop-on-failure
  status=$?
  first_failed="$failed"
  if [ $status -eq 1 ]; then
    echo "---- once more: $(paste -sd ',' <<<"$first_failed")" >>"$log"
    ctest --preset "$failed_preset" -R "$(names_regex <<<"$first_failed")" >"$ctest_out" 2>&1
    again=$?
    cat "$ctest_out" >>"$log"
    if grep -q "No tests were found" "$ctest_out"; then status=5
    elif [ $again -eq 0 ]; then status=6
    fi
  fi
  restore
  took=$((SECONDS - started))
  case $status in
    0) echo "$label: SURVIVED (${took}s)"; survived=$((survived + 1)); survivors+=("$label") ;;
    1) echo "$label: killed (${took}s)"; killed=$((killed + 1)) ;;
    6)
      echo "$label: FLAKY (${took}s; failed once, passed again: $(paste -sd ',' <<<"$first_failed"))"
      flaky=$((flaky + 1)); flakies+=("$label ($(paste -sd ',' <<<"$first_failed"))") ;;
    *)
      echo "$label: ERROR ($([ $status -eq 4 ] && echo 'does not build' || echo 'no tests ran');" \
        "build/mutants/fault-$n.log)"
      errors=$((errors + 1)); broken+=("$label") ;;
  esac
done

echo
echo "survivors:"
if [ ${#survivors[@]} -eq 0 ]; then echo "  none"; else printf '  %s\n' "${survivors[@]}"; fi
if [ ${#flakies[@]} -gt 0 ]; then
  echo "flaky (a failure that did not come again; run again with --only):"
  printf '  %s\n' "${flakies[@]}"
fi
if [ ${#broken[@]} -gt 0 ]; then echo "errors:"; printf '  %s\n' "${broken[@]}"; fi
scored=$((killed + survived))
share="$([ $scored -gt 0 ] && echo " ($((100 * killed / scored)) %)")"
took=$((SECONDS - run_started))
echo "score: $killed of $scored faults killed$share, $flaky flaky, $errors errors" \
  "($((took / 60)) min $((took % 60)) s)"
[ $survived -eq 0 ] && [ $flaky -eq 0 ] && [ $errors -eq 0 ]
