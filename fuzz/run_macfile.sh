#!/bin/sh
# Builds the fuzz target of the reader of Macintosh files (wrappers and resource maps) with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs it for $1 seconds (default
# 60) on as many jobs as cores, or FUZZ_JOBS. The corpus grows in build-fuzz/macfile-corpus;
# seeds are the wrappers of fuzz/macfile_seeds/ (whole, damaged and earlier crashes) and the
# files of ../shared/corpus/containers when they are there. Crashing inputs land in
# build-fuzz/macfile-crashes/.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/macfile-corpus" "$out/macfile-crashes"
# The reader and the few parts of platform/ it links (files and Mac OS Roman through iconv),
# and the PICT sniffing the target asks of each resource.
# shellcheck disable=SC2046
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I. fuzz/macfile_fuzzer.cpp macfile/*.cpp pict/sniff.cpp \
  platform/files.cpp platform/descriptor.cpp platform/text.cpp \
  $(pkg-config --cflags --libs glib-2.0) -o "$out/macfile_fuzzer"
rm -rf "$out/macfile-seeds"
mkdir -p "$out/macfile-seeds"
find fuzz/macfile_seeds -type f | while IFS= read -r file; do
  cp "$file" "$out/macfile-seeds/$(printf %s "$file" | tr / _)"
done
if [ -d ../shared/corpus/containers ]; then
  find ../shared/corpus/containers -type f ! -name '*.md' | while IFS= read -r file; do
    cp "$file" "$out/macfile-seeds/$(printf %s "$file" | tr / _)"
  done
fi
largest=$(find "$out/macfile-seeds" -type f -printf '%s\n' | sort -n | tail -n 1)
max_len=$((${largest:-0} > 65536 ? ${largest:-0} : 65536))
cd "$out"
jobs=${FUZZ_JOBS:-$(nproc)}
# The house files are mutated whole from the start (an input is never cut below its own size),
# while new inputs grow from small ones, which read fastest.
./macfile_fuzzer -max_total_time="$seconds" -max_len="$max_len" -timeout=30 \
  -rss_limit_mb=3072 -jobs="$jobs" -workers="$jobs" -artifact_prefix=macfile-crashes/ \
  -print_final_stats=1 macfile-corpus macfile-seeds
