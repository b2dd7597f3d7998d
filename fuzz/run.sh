#!/bin/sh
# Builds the PICT decoder's fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for $1 seconds (default 60) on as many jobs as cores.
# The corpus grows in build-fuzz/corpus; seeds are the inputs of fuzz/seeds/ (whole, damaged and
# earlier crashes, each with its scale byte) and the pictures of ../shared/corpus when it is
# there, each behind a byte that chooses the scale (the target's first byte), once at scale 1
# and once at a larger one. Inputs may be as large as the largest seed, so no picture is mutated
# cut short. Crashing inputs land in build-fuzz/crashes/, the workers' logs in
# build-fuzz/fuzz-N.log.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus" "$out/crashes"
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I."
libs="$(pkg-config --cflags --libs pixman-1 libavcodec libavformat libavutil libswscale lcms2 \
  libjpeg pangocairo cairo fontconfig glib-2.0) -lfreeimage"
# pict/, vector/ and the parts of platform/ they link: the Pango font loading their text shares,
# and the loading of libavcodec on first use (linked here too, so that it is found already
# loaded).
# shellcheck disable=SC2086
clang++ $flags fuzz/pict_fuzzer.cpp pict/*.cpp vector/*.cpp platform/pango_font.cpp \
  platform/shared_library.cpp $libs -o "$out/pict_fuzzer"
# The seeds: fuzz/seeds/ as they are and once more as drawings (the first byte's top bit set),
# and every corpus picture with the first byte 0 (scale 1), 3 (scale 4), 128 (scale 1, drawn)
# and 131 (scale 4, drawn) before it.
rm -rf "$out/seeds"
mkdir -p "$out/seeds"
find fuzz/seeds -type f | while IFS= read -r file; do
  name=$(printf %s "$file" | tr / _)
  cp "$file" "$out/seeds/$name"
  { printf '\200'; tail -c +2 "$file"; } >"$out/seeds/drawn-$name"
done
for folder in ../shared/corpus/pict-real ../shared/corpus/pict-synthetic; do
  [ -d "$folder" ] || continue
  find "$folder" -type f ! -name '*.md' | while IFS= read -r file; do
    name=$(printf %s "$file" | tr / _)
    { printf '\000'; cat "$file"; } >"$out/seeds/1-$name"
    { printf '\003'; cat "$file"; } >"$out/seeds/4-$name"
    { printf '\200'; cat "$file"; } >"$out/seeds/1-drawn-$name"
    { printf '\203'; cat "$file"; } >"$out/seeds/4-drawn-$name"
  done
done
largest=$(find "$out/seeds" -type f -printf '%s\n' | sort -n | tail -n 1)
max_len=$((${largest:-0} > 65536 ? ${largest:-0} : 65536))
suppressions=$(readlink -f tests/lsan.supp)
cd "$out"
# Fontconfig keeps a little memory for the life of the process; that is not the decoder's leak.
export LSAN_OPTIONS="suppressions=$suppressions"
jobs=${FUZZ_JOBS:-$(nproc)}
# The work cap allows about a second of drawing in a release build; with the sanitizers a
# picture at the largest canvas takes ten to twenty times as long, which is no hang.
# shellcheck disable=SC2086
# -len_control=0: the length limit is max_len from the start, rather than growing from small
# inputs over the first hours, so the largest pictures are mutated whole in a short run too.
./pict_fuzzer -max_total_time="$seconds" -max_len="$max_len" -len_control=0 -timeout=60 \
  -rss_limit_mb=3072 -jobs="$jobs" -workers="$jobs" -artifact_prefix=crashes/ \
  -print_final_stats=1 corpus seeds
