#!/bin/sh
# Copies the PICT files of a corpus folder COPIES times into TARGET/1/, TARGET/2/, ..., each file
# named by its path below the corpus with "/" turned into "_": the input of the benchmarks that
# run many files (bench/jobs_bench.sh, bench/png_bench.sh) and of tools/compare_outputs.sh.
#
#   sh bench/copy_corpus.sh CORPUS COPIES TARGET
set -eu
corpus=$1 copies=$2 target=$3
for copy in $(seq "$copies"); do
  mkdir -p "$target/$copy"
  find "$corpus" -type f \( -iname '*.pic' -o -iname '*.pict' -o -iname '*.pct' \) |
    while IFS= read -r f; do
      cp "$f" "$target/$copy/$(echo "${f#$corpus/}" | tr / _)"
    done
done
