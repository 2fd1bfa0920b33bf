#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, then runs each for a bounded time.
#
#   scripts/fuzz.sh [seconds per target, default 20] [target ...]
#
# Seeds come from fuzz/corpus/<target>/ (checked in, never written); inputs the
# fuzzer finds go to build/fuzz/corpus/<target>/ and crashes to
# build/fuzz/crashes/<target>/. Exits non-zero when any target failed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(unpack_block pack_directory roundtrip)
build=$root/build/fuzz

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_TARGET=native -DQB_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" > "$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzz}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  log=$build/$t.log
  # A generous outer bound: libFuzzer itself stops after max_total_time.
  if timeout -k 10 $((seconds + 120)) "$build/fuzz/${t}_fuzz" \
      -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$t/" "$build/corpus/$t" "$root/fuzz/corpus/$t" > "$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    failed=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  echo "$t: $runs executions in ${seconds}s: $result"
done
exit $failed
