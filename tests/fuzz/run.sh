#!/usr/bin/env bash
# Runs a fuzzer for the given number of seconds on a copy of its seed corpus: corpus/ for
# fuzz_readers, corpus_<name>/ for fuzz_<name> (corpus_banks/ for fuzz_banks).
#   run.sh <fuzzer binary> <seconds>
# Exits non-zero on any finding (crash, sanitizer report, leak, timeout); the inputs that caused
# them are kept in fuzz-findings/ beside the binary.
set -uo pipefail
BIN=$(realpath "${1:?usage: run.sh <binary> <seconds>}")
TIME=${2:-60}
HERE=$(cd "$(dirname "$0")" && pwd)
FINDINGS="$(dirname "$BIN")/fuzz-findings"
NAME=$(basename "$BIN")
CORPUS="$HERE/corpus"
if [ "$NAME" != fuzz_readers ]; then
  CORPUS="$HERE/corpus_${NAME#fuzz_}"
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp -r "$CORPUS" "$WORK/corpus"
mkdir -p "$WORK/artifacts" "$WORK/cwd"
cd "$WORK/cwd"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Every malformed input is reported on standard error; closing it keeps the run fast.
# libFuzzer's own messages still arrive.
"$BIN" "$WORK/corpus" -max_total_time="$TIME" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$WORK/artifacts/" >"$WORK/log" 2>&1
status=$?

grep -E "^stat::number_of_executed_units|^stat::new_units_added|^stat::peak_rss_mb" "$WORK/log"
shopt -s nullglob
found=("$WORK"/artifacts/*)
if [ "$status" -ne 0 ] || [ "${#found[@]}" -gt 0 ]; then
  echo "$NAME: FINDING (exit status $status)"
  tail -n 40 "$WORK/log"
  mkdir -p "$FINDINGS"
  for input in "${found[@]}"; do
    cp "$input" "$FINDINGS/"
    echo "== replaying $(basename "$input") (kept in $FINDINGS)"
    "$BIN" "$input" 2>&1 | tail -n 60
  done
  exit 1
fi
echo "$NAME: no findings in ${TIME}s"
