#!/usr/bin/env bash
# Builds the step 3 run and close tests and the encoder thread's tests with a
# sanitizer in a build folder of their own and runs them there through ctest. The address build (which checks
# for undefined behaviour too) also runs the engine's, the worker's and the
# command-line program's tests and the mutation test of damaged clips.
#   run-sanitized.sh address|thread SOURCE_DIR BUILD_DIR
set -euo pipefail
kind="$1" source_dir="$2" build_dir="$3"

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTOVAR_SANITIZE="$kind" -DKESTOVAR_SANITIZER_TESTS=OFF >/dev/null
targets=(convert_ConvertCloseTest convert_ConvertRunTest engine_unit_tests)
tests='convert\.Convert(Close|Run)Test|^engine_unit_tests$'
if [ "$kind" = address ]; then
    targets+=(transcoder_tests worker_tests cli_tests fuzz_tests)
    tests="$tests|^transcoder_tests\$|^worker_tests\$|^cli_tests\$|^fuzz\."
    # Every program these tests start reports and stops at the first fault;
    # leaks of the libraries' own initialisers are passed over (lsan.supp).
    export ASAN_OPTIONS="${ASAN_OPTIONS:-fast_unwind_on_malloc=0}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$source_dir/tests/convert/lsan.supp:print_suppressions=0}"
else
    # The thread tests pass over races the media libraries' own atomics
    # order (tsan.supp); the window tests set the same in their environment.
    export TSAN_OPTIONS="${TSAN_OPTIONS:-suppressions=$source_dir/tests/convert/tsan.supp}"
fi
cmake --build "$build_dir" --parallel 2 --target "${targets[@]}"

cd "$build_dir"
log="$build_dir/sanitized-$kind.log"
if ctest -R "$tests" --output-on-failure >"$log" 2>&1; then
    cat "$log"
    exit 0
fi
# ThreadSanitizer cannot map its shadow memory under a high address-space
# randomisation on some kernels; without randomisation it can.
if [ "$kind" = thread ] && grep -q "unexpected memory mapping" "$log"; then
    exec setarch "$(uname -m)" -R ctest -R "$tests" --output-on-failure
fi
# LeakSanitizer's stop-the-world tracer now and then crashes at a program's
# exit after every test passed (google/sanitizers#1353), which reports no
# leak and says nothing about the program: the tests that failed run once
# more, and only a second failure counts.
if [ "$kind" = address ] && grep -q "LeakSanitizer has encountered a fatal error" "$log"; then
    cat "$log"
    echo "LeakSanitizer's tracer crashed; running the failed tests once more"
    exec ctest --rerun-failed --output-on-failure
fi
cat "$log"
exit 1
