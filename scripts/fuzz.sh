#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset "fuzz": clang, ASan and UBSan) and runs each in turn.
#   scripts/fuzz.sh 600          each harness for 600 seconds
#   scripts/fuzz.sh --corpus     each harness over its seed corpus only, once
# New inputs that reach new code go to build/fuzz/corpus/<name>/ (kept between runs, not in git); a finding
# goes to build/fuzz/findings/ and the script fails. Only the harnesses named after the switch run, if any:
#   scripts/fuzz.sh 60 metabase rules
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 SECONDS|--corpus [harness...]" >&2; exit 2; }
mode=$1
shift
if [ "$mode" != "--corpus" ] && ! [[ "$mode" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS|--corpus [harness...]" >&2
    exit 2
fi

export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-$(command -v ccache || true)}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

findings=build/fuzz/findings
mkdir -p "$findings"
failed=()
while read -r name program seeds; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then
        continue
    fi
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    # A finding stops the run; leaks are findings too. Inputs stay small, as the files they stand for do
    # where the parsers are touchy (long lines, deep keys) within a few KB.
    options=(-artifact_prefix="$findings/$name-" -max_len=65536 -timeout=10 -rss_limit_mb=2048
             -print_final_stats=1)
    if [ "$mode" = "--corpus" ]; then
        echo "== $name: seed corpus"
        # shellcheck disable=SC2086
        "$program" "${options[@]}" -runs=0 $seeds "$corpus" >"$findings/$name.log" 2>&1 || failed+=("$name")
    else
        echo "== $name: $mode s"
        # shellcheck disable=SC2086
        "$program" "${options[@]}" -max_total_time="$mode" "$corpus" $seeds >"$findings/$name.log" 2>&1 ||
            failed+=("$name")
    fi
    grep -E '^(#[0-9]+.*(DONE|INITED)|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb))' \
        "$findings/$name.log" | tail -4 || true
done <build/fuzz/fuzzers.txt

if [ ${#failed[@]} -gt 0 ]; then
    for name in "${failed[@]}"; do
        echo "--- $name: finding (see $findings/$name.log)" >&2
        grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$findings/$name.log" | head -5 >&2 || true
    done
    exit 1
fi
echo "fuzzing: no findings"
