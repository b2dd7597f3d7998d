#!/bin/sh
# A whole marrowickcmd run to png over the PICT files our decoder renders, side by side with a
# plain shell loop of ImageMagick's `convert` over the same files, in one go; then the peak
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
mkdir -p "$work/in" "$work/ours" "$work/convert" "$work/rt" "$work/tmp" "$work/nopath"

# The files our decoder renders: those it converts with no converter on PATH and no fallback
# reader needed (the bench's own decoder run tells them apart).
"$build/pict_bench" 1 $(find "$corpus" -type f \( -iname '*.pic' -o -iname '*.pict' \
  -o -iname '*.pct' \)) 2>/dev/null | awk 'NR > 1 && NF == 5 {print $1}' > "$work/list"
while read -r name; do
  find "$corpus" -type f -name "$name" -exec cp {} "$work/in/" \;
done < "$work/list"
count=$(ls "$work/in" | wc -l)

seconds() { date +%s.%N; }
start=$(seconds)
XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp "$program" -i "$work/in/" -o "$work/ours/" -c png -q
middle=$(seconds)
for f in "$work/in"/*; do
  convert -quiet -colorspace sRGB "pict:$f" "png:$work/convert/$(basename "$f").png" || true
done
end=$(seconds)
ours=$(awk "BEGIN {print $middle - $start}")
theirs=$(awk "BEGIN {print $end - $middle}")
printf '%d files to png: marrowickcmd %.2f s, convert loop %.2f s, %.1fx faster\n' \
  "$count" "$ours" "$theirs" "$(awk "BEGIN {print $theirs / $ours}")"

# Peak memory: a run over the largest canvas against a run over the smallest file.
largest=$(ls -S "$work/in" | head -1)
smallest=$(ls -Sr "$work/in" | head -1)
peak() {
  rm -rf "$work/one" "$work/out1" && mkdir -p "$work/one" "$work/out1"
  cp "$work/in/$1" "$work/one/"
  XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp /usr/bin/time -f %M \
    "$program" -i "$work/one/" -o "$work/out1/" -c png -q 2>&1 >/dev/null | tail -1
}
base=$(peak "$smallest")
big=$(peak "$largest")
size=$("$build/pict_bench" 1 "$work/in/$largest" | awk 'NR == 2 {print $2}')
canvas=$(echo "$size" | awk -Fx '{print $1 * $2 * 4 / 1024}')
printf 'largest canvas %s (%s: %d KiB at 4 bytes a pixel): peak RSS %d KiB, %d KiB over a small file (%.1fx the canvas)\n' \
  "$size" "$largest" "$canvas" "$big" "$((big - base))" "$(awk "BEGIN {print ($big - $base) / $canvas}")"
