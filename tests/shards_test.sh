#!/bin/sh
# A nested archive with repeated names (the same name in several folders, a.pct beside a.pict
# and a~2.pct) converted as one folder run, as one list run with --list-root, and as two shards
# made by contrib/split-into-lists under GNU parallel (each instance with a runtime folder of
# its own, removed after it): each writes one output per input, and the list run and the
# shards' union write exactly the files of the folder run, byte for byte.
#   shards_test.sh MARROWICKCMD SOURCE_DIR
set -eu
program=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmere-shards-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in/x" "$work/in/y/z" "$work/one" "$work/list" "$work/shards" "$work/runtime" \
  "$work/tmp"
samples=$source/samples
cp "$samples"/*.pct "$work/in/x/"
cp "$samples"/*.PICT "$work/in/y/z/"
cp "$samples/im-gray-100x80-ramp.pct" "$work/in/y/ramp-again.pct"
cp "$samples/im-pal256-320x240.pct" "$work/in/y/im-gray-100x80-ramp.pct"
cp "$samples/nb-pal-200x150-gingham.pct" "$work/in/y/z/im-gray-100x80-ramp.pct"
cp "$samples/redyellow.PICT" "$work/in/x/a.pct"
cp "$samples/im-gray-100x80-ramp.pct" "$work/in/x/a.pict"
cp "$samples/im-pal256-320x240.pct" "$work/in/x/a~2.pct"
cp "$samples/nb-pal-200x150-gingham.pct" "$work/in/a.pct"
inputs=$(find "$work/in" -type f | wc -l)
export TMPDIR="$work/tmp"

XDG_RUNTIME_DIR="$work/runtime" "$program" -i "$work/in/" -o "$work/one/" -c png -q \
  --jobs=2 2>"$work/one.err"
[ "$(find "$work/one" -type f | wc -l)" -eq "$inputs" ]
# Both later inputs of x/ say which name they got and whose name it was.
grep -q "in/x/a.pict: written as $work/one/x/a~2.png, since $work/one/x/a.png is already the name of $work/in/x/a.pct in this run" "$work/one.err"
grep -q "in/x/a~2.pct: written as $work/one/x/a~2~2.png" "$work/one.err"

find "$work/in" -type f | LC_ALL=C sort >"$work/all.lst"
XDG_RUNTIME_DIR="$work/runtime" "$program" -i "$work/all.lst" -o "$work/list/" -c png -q \
  --list-root="$work/in" --jobs=1 2>/dev/null
diff -r "$work/one" "$work/list"

"$source/contrib/split-into-lists" 2 "$work/shard" "$work/in" >/dev/null
export program work
parallel --will-cite --halt now,fail=1 -j2 \
  'runtime=$(mktemp -d) &&
   XDG_RUNTIME_DIR=$runtime "$program" -i {} -o "$work/shards/" -c png -q \
     --list-root="$work/in" 2>/dev/null; status=$?; rm -rf "$runtime"; exit $status' \
  ::: "$work/shard1.lst" "$work/shard2.lst"

# Both shards did work, and together they wrote what the one run wrote, byte for byte; no
# private folder is left in TMPDIR.
[ -s "$work/shard1.lst" ] && [ -s "$work/shard2.lst" ]
diff -r "$work/one" "$work/shards"
[ -z "$(ls -A "$work/tmp")" ]
echo "a folder run, a list run and two shards under GNU parallel each wrote $inputs files for $inputs inputs, the same bytes"
