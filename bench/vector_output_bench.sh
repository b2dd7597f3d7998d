#!/bin/sh
# SVG and PDF output of the corpus's drawings (the files that are more than one pixmap, listed
# in tests/support/corpus_drawings.cpp) against PNG, through the program: each drawing copied
# COPIES times into one folder, converted in one run per format at --pict-scale 1 and 4 (the
# default jobs), wall time the median of RUNS runs, and the total size of what each run wrote.
#
#   sh bench/vector_output_bench.sh PROGRAM [RUNS] [COPIES]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(readlink -f "${QUILLMERE_CORPUS:-$here/../../shared/corpus}")/pict-real
program=$1
runs=${2:-3}
copies=${3:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/rt" "$work/tmp"
for file in $(sed -n 's/^ *{"\([^"]*\)".*/\1/p' "$here/../tests/support/corpus_drawings.cpp"); do
  for copy in $(seq "$copies"); do cp "$corpus/$file" "$work/in/$copy-$(basename "$file")"; done
done

# Prints "wall kib" for one run: seconds, and the KiB the run wrote.
run() {  # format, scale
  rm -rf "$work/out" && mkdir -p "$work/out" && sync
  /usr/bin/time -f '%e' -o "$work/time" env XDG_RUNTIME_DIR="$work/rt" TMPDIR="$work/tmp" \
    "$program" -i "$work/in/" -o "$work/out/" -c "$1" -q --pict-scale="$2" >/dev/null 2>&1 || true
  echo "$(cat "$work/time") $(du -sk "$work/out" | cut -f1)"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

echo "$(find "$work/in" -type f | wc -l) files ($copies copies of each drawing), $(nproc) processors, $runs runs each"
printf '%-6s %-6s %8s %10s\n' format scale "wall s" "size KiB"
for scale in 1 4; do
  for format in png svg pdf; do
    : >"$work/figures"
    for round in $(seq "$runs"); do run "$format" "$scale" >>"$work/figures"; done
    wall=$(cut -d' ' -f1 "$work/figures" | median)
    size=$(cut -d' ' -f2 "$work/figures" | median)
    printf '%-6s %-6s %8s %10s\n' "$format" "$scale" "$wall" "$size"
  done
done
