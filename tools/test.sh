#!/usr/bin/env bash
# Builds the engine and runs the whole test suite: once optimised, once under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the file-reader fuzzer for a bounded time.
# Window and GL tests run under Xvfb with Mesa's software renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

tools/setup.sh

JOBS=$(nproc)
export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null
# -noreset: by default the X server resets whenever its last client leaves, and a client that
# connects during the reset is refused (SDL then falls back to its offscreen driver). Short
# clients connecting two at a time in a loop were refused about one time in twenty; with
# -noreset, never.
XVFB=(xvfb-run -a -s "-screen 0 1280x720x24 -noreset")

# The window tests share one software X server and two cores; a test that fails is run once more,
# alone, and only a second failure fails the run (the first failure's output stays in the log).
run_suite() {
  if ! "${XVFB[@]}" ctest --test-dir "$1" --output-on-failure -j"$JOBS"; then
    echo "== Running the failed tests of $1 once more, one at a time"
    "${XVFB[@]}" ctest --test-dir "$1" --output-on-failure --rerun-failed
  fi
}

echo "== Release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
run_suite build

echo "== Sanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$ROOT/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTIX_SANITIZE=ON -DVANTIX_BENCH=OFF >/dev/null
cmake --build build-asan -j"$JOBS"
run_suite build-asan

if [ -f tests/fuzz/CMakeLists.txt ]; then
  echo "== Fuzzing the level and archetype readers, the audio bank reader and the art list reader"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTIX_FUZZ=ON -DVANTIX_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j"$JOBS" --target fuzz_readers fuzz_banks fuzz_artlist
  tests/fuzz/run.sh build-fuzz/tests/fuzz/fuzz_readers "${FUZZ_SECONDS:-40}"
  tests/fuzz/run.sh build-fuzz/tests/fuzz/fuzz_banks "${FUZZ_BANK_SECONDS:-20}"
  tests/fuzz/run.sh build-fuzz/tests/fuzz/fuzz_artlist "${FUZZ_ARTLIST_SECONDS:-15}"
fi
echo "== All tests passed"
