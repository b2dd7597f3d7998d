#!/bin/sh
# A whole marrowickcmd run to png over the PICT files our decoder renders, side by side with a
# plain shell loop of ImageMagick's `convert` over the same files; then the peak
# memory of a run over the file with the largest canvas against the size of that canvas.
#
#   sh bench/pict_run_bench.sh [build-folder] [corpus-folder]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(readlink -f "${1:-$here/../build}")
corpus=$(readlink -f "${2:-$here/../../shared/corpus/pict-real}")
program=$build/bin/marrowickcmd
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/ours" "$work/convert" "$work/rt" "$work/tmp"

# The files our decoder renders, each copied under a number, with the size of its canvas.
find "$corpus" -type f \( -iname '*.pic' -o -iname '*.pict' -o -iname '*.pct' \) \
  -exec "$build/pict_bench" --rendered {} + > "$work/list"
n=0
while IFS="$(printf '\t')" read -r path width height; do
  n=$((n + 1))
  cp "$path" "$work/in/$n.pct"
  echo "$n.pct $width $height" >> "$work/sizes"
done < "$work/list"

seconds() { date +%s.%N; }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# One timed run of each, once the disk has taken the previous run's outputs.
ours() {
  rm -rf "$work/ours" && mkdir -p "$work/ours" && sync
  start=$(seconds)
  XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp "$program" -i "$work/in/" -o "$work/ours/" -c png -q
  awk "BEGIN {print $(seconds) - $start}"
}
loop() {
  rm -rf "$work/convert" && mkdir -p "$work/convert" && sync
  start=$(seconds)
  for f in "$work/in"/*; do
    convert -quiet -colorspace sRGB "pict:$f" "png:$work/convert/$(basename "$f").png" \
      2>/dev/null || true
  done
  awk "BEGIN {print $(seconds) - $start}"
}
# The median of five runs of ours and of three loops: a run of under a second varies by a
# tenth on a shared machine.
ours_time=$(for i in 1 2 3 4 5; do ours; done | median)
loop_time=$(for i in 1 2 3; do loop; done | median)
printf '%d files to png: marrowickcmd %.2f s, convert loop %.2f s, %.1fx faster\n' "$n" \
  "$ours_time" "$loop_time" "$(awk "BEGIN {print $loop_time / $ours_time}")"

# Peak memory: a run over the largest canvas against a run over the smallest.
largest=$(awk '{print $2 * $3, $0}' "$work/sizes" | sort -n | tail -1)
smallest=$(awk '{print $2 * $3, $0}' "$work/sizes" | sort -n | head -1 | awk '{print $2}')
peak() {
  rm -rf "$work/one" "$work/out1" && mkdir -p "$work/one" "$work/out1"
  cp "$work/in/$1" "$work/one/"
  XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp /usr/bin/time -f %M \
    "$program" -i "$work/one/" -o "$work/out1/" -c png -q 2>&1 >/dev/null | tail -1
}
file=$(echo "$largest" | awk '{print $2}')
canvas=$(echo "$largest" | awk '{print int($3 * $4 * 4 / 1024)}')
base=$(peak "$smallest")
big=$(peak "$file")
printf 'largest canvas %sx%s (%d KiB at 4 bytes a pixel): peak RSS %d KiB, %d KiB more than for the smallest (%.1fx the canvas)\n' \
  "$(echo "$largest" | awk '{print $3}')" "$(echo "$largest" | awk '{print $4}')" "$canvas" \
  "$big" "$((big - base))" "$(awk "BEGIN {print ($big - $base) / $canvas}")"
