#!/bin/sh
# Builds the PICT decoder's fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for $1 seconds (default 60) on as many jobs as cores.
# The corpus grows in build-fuzz/corpus; seeds are the pictures of fuzz/seeds/ (whole, damaged
# and earlier crashes) and those of ../shared/corpus when it is there. Crashing inputs land in
# build-fuzz/crashes/, the workers' logs in build-fuzz/fuzz-N.log.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus" "$out/crashes"
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I."
libs="$(pkg-config --cflags --libs pixman-1 libavcodec libavformat libavutil libswscale lcms2 \
  pangocairo cairo fontconfig glib-2.0) -lfreeimage"
# shellcheck disable=SC2086
clang++ $flags fuzz/pict_fuzzer.cpp pict/*.cpp $libs -o "$out/pict_fuzzer"
seeds=""
for folder in fuzz/seeds ../shared/corpus/pict-real ../shared/corpus/pict-synthetic; do
  [ -d "$folder" ] && seeds="$seeds $(readlink -f "$folder")"
done
suppressions=$(readlink -f tests/lsan.supp)
cd "$out"
# Fontconfig keeps a little memory for the life of the process; that is not the decoder's leak.
export LSAN_OPTIONS="suppressions=$suppressions"
jobs=${FUZZ_JOBS:-$(nproc)}
# shellcheck disable=SC2086
./pict_fuzzer -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=3072 \
  -jobs="$jobs" -workers="$jobs" -artifact_prefix=crashes/ -print_final_stats=1 corpus $seeds
