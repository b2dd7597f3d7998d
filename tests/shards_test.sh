#!/bin/sh
# Two shards made by contrib/split-into-lists, converted side by side under GNU parallel (each
# instance with a runtime folder of its own), write exactly the files one run over the whole
# input writes.
#   shards_test.sh MARROWICKCMD SOURCE_DIR
set -eu
program=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmere-shards-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in/x" "$work/in/y/z" "$work/one" "$work/shards" "$work/runtime"
cp "$source"/samples/*.pct "$work/in/x/"
cp "$source"/samples/*.PICT "$work/in/y/z/"
cp "$source/samples/im-gray-100x80-ramp.pct" "$work/in/y/ramp-again.pct"
# The same name in two folders: the later one is the one left, in both ways of running.
cp "$source/samples/im-pal256-320x240.pct" "$work/in/y/im-gray-100x80-ramp.pct"

XDG_RUNTIME_DIR="$work/runtime" "$program" -i "$work/in/" -o "$work/one/" -c png -q \
  --no-subfolders

"$source/contrib/split-into-lists" 2 "$work/shard" "$work/in" >/dev/null
export program work
parallel --will-cite --halt now,fail=1 -j2 \
  'runtime=$(mktemp -d "$work/runtime-XXXXXX") &&
   XDG_RUNTIME_DIR=$runtime "$program" -i {} -o "$work/shards/" -c png -q' \
  ::: "$work/shard1.lst" "$work/shard2.lst"

# Both shards did work, and together they wrote what the one run wrote, byte for byte.
[ -s "$work/shard1.lst" ] && [ -s "$work/shard2.lst" ]
[ "$(ls "$work/one" | wc -l)" -eq 6 ]
diff -r "$work/one" "$work/shards"
echo "two shards under GNU parallel wrote the same $(ls "$work/one" | wc -l) files as one run"
