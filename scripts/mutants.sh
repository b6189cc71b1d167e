#!/usr/bin/env bash
# The mutation check: puts the deliberate faults of scripts/mutants.txt into the code one at a
# time, rebuilds, runs the tests that should catch the fault and says which faults no test
# caught. Slow (a build and a test run per fault), so it is run by hand, never in CI:
#
#   bash scripts/mutants.sh                   # every fault
#   bash scripts/mutants.sh --suite e2e       # only the faults for the Wine tests alone
#   bash scripts/mutants.sh --only 'Help|help' # only faults whose rule or file matches
#   bash scripts/mutants.sh --list            # the faults, without running anything
#
# A fault is an exact replacement of one text in one file. Its suite says which tests run:
# "native" the headless tests, "e2e" the tests under Wine (backend and end to end),
# "e2e:REGEX" only the Wine tests whose name matches REGEX, "all" or "all:REGEX" the headless
# tests and, when they miss the fault, those Wine tests too. A fault whose text is not found
# (or found twice) is an error, not a kill: the list has to follow the code.
# The file is put back after each fault, also on Ctrl+C. The build folders are the usual
# ones (build/native, build/mingw); the next ordinary build rebuilds what the faults touched.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1
list_file="$repo/scripts/mutants.txt"
only="" suite_filter="" list_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --only) only="$2"; shift 2 ;;
    --suite) suite_filter="$2"; shift 2 ;;
    --list) list_only=1; shift ;;
    --faults) list_file="$2"; shift 2 ;;
    *) echo "usage: $0 [--only REGEX] [--suite native|e2e] [--list] [--faults FILE]" >&2; exit 2 ;;
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

. "$repo/scripts/wine-env.sh"
logs="$repo/build/mutants"
mkdir -p "$logs"
configured_native=0 configured_mingw=0

# Builds for the suite and runs it; status 0 when every test passed (the fault survived).
run_suite() {
  local suite=$1 log=$2 preset regex=""
  if [ "${suite%%:*}" = all ]; then
    run_suite native "$log" || return
    run_suite "e2e${suite#all}" "$log"
    return
  fi
  case "$suite" in
    native) preset=native ;;
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
  local test_preset=$([ "$preset" = native ] && echo native || echo e2e) status
  ctest --preset "$test_preset" --stop-on-failure ${regex:+-R "$regex"} >>"$log" 2>&1
  status=$?
  # No test run is no kill.
  if grep -q "No tests were found" "$log"; then return 5; fi
  return $status
}

killed=0 survived=0 errors=0 total=0
survivors=() broken=()
for i in "${!suites[@]}"; do
  n=$((i + 1))
  if [ -n "$suite_filter" ] && [ "${suites[$i]%%:*}" != "$suite_filter" ]; then continue; fi
  if [ -n "$only" ] && ! grep -Eq -- "$only" <<<"${rules[$i]} ${files[$i]}"; then continue; fi
  total=$((total + 1))
  label="$(printf '%2d %-8s %s' "$n" "${suites[$i]%%:*}" "${rules[$i]}")"
  file="$repo/${files[$i]}"
  if [ $list_only -eq 1 ]; then
    mutate "$file" "${olds[$i]}" "${news[$i]}" check 2>/dev/null
    case $? in
      0) echo "$label" ;;
      1) echo "$label: ERROR (old text not found in ${files[$i]})"; errors=$((errors + 1)) ;;
      *) echo "$label: ERROR (old text found twice in ${files[$i]})"; errors=$((errors + 1)) ;;
    esac
    continue
  fi
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
  run_suite "${suites[$i]}" "$log"
  status=$?
  restore
  took=$((SECONDS - started))
  case $status in
    0) echo "$label: SURVIVED (${took}s)"; survived=$((survived + 1)); survivors+=("$label") ;;
    4 | 5)
      echo "$label: ERROR ($([ $status -eq 4 ] && echo 'does not build' || echo 'no tests ran');" \
        "build/mutants/fault-$n.log)"
      errors=$((errors + 1)); broken+=("$label") ;;
    *) echo "$label: killed (${took}s)"; killed=$((killed + 1)) ;;
  esac
done

[ $list_only -eq 1 ] && { echo "$total faults, $errors errors"; [ $errors -eq 0 ]; exit; }
echo
echo "survivors:"
if [ ${#survivors[@]} -eq 0 ]; then echo "  none"; else printf '  %s\n' "${survivors[@]}"; fi
if [ ${#broken[@]} -gt 0 ]; then echo "errors:"; printf '  %s\n' "${broken[@]}"; fi
scored=$((killed + survived))
share="$([ $scored -gt 0 ] && echo " ($((100 * killed / scored)) %)")"
echo "score: $killed of $scored faults killed$share, $errors errors"
[ $survived -eq 0 ] && [ $errors -eq 0 ]
