#!/bin/sh
# Several files at once: the real PICT corpus copied twenty times, converted to jpg and to png by
# marrowickcmd with --jobs=1 and with its default (one job per usable processor), against a
# plain shell loop of ImageMagick's `convert` and the same loop through `xargs -P<processors>`;
# wall time, CPU time (user + system of the whole process tree) and peak memory (the resident
# size of the whole tree, summed, and its proportional share, sampled every 100 ms: a sampler
# that walks /proc more often takes a noticeable share of a two-processor machine). Each run
# starts once the disk has taken the previous run's outputs (sync), or their writing back would
# be charged to it.
#
#   sh bench/jobs_bench.sh [build-folder] [corpus-folder] [copies]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(readlink -f "${1:-$here/../build}")
corpus=$(readlink -f "${2:-$here/../../shared/corpus/pict-real}")
copies=${3:-20}
program=$build/bin/marrowickcmd
cores=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/rt" "$work/tmp"

sh "$here/copy_corpus.sh" "$corpus" "$copies" "$work/in"
n=$(find "$work/in" -type f | wc -l)

# Runs a command, printing "wall cpu rss pss" (seconds, seconds, MiB, MiB) for its whole tree.
measure() {
  python3 - "$@" <<'PY'
import os, subprocess, sys, time
def tree(root):
    pids, todo = [], [root]
    children = {}
    for p in os.listdir('/proc'):
        if p.isdigit():
            try:
                with open(f'/proc/{p}/stat') as f:
                    ppid = int(f.read().rsplit(')', 1)[1].split()[1])
                children.setdefault(ppid, []).append(int(p))
            except OSError:
                pass
    while todo:
        p = todo.pop()
        pids.append(p)
        todo += children.get(p, [])
    return pids
def memory(pids):
    rss = pss = 0
    for p in pids:
        try:
            with open(f'/proc/{p}/smaps_rollup') as f:
                for line in f:
                    if line.startswith('Rss:'): rss += int(line.split()[1])
                    if line.startswith('Pss:'): pss += int(line.split()[1])
        except OSError:
            pass
    return rss, pss
start = time.time()
before = os.times()
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
peak_rss = peak_pss = 0
while child.poll() is None:
    rss, pss = memory(tree(child.pid))
    peak_rss, peak_pss = max(peak_rss, rss), max(peak_pss, pss)
    time.sleep(0.1)
wall = time.time() - start
after = os.times()
cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
print(f'{wall:.2f} {cpu:.2f} {peak_rss / 1024:.1f} {peak_pss / 1024:.1f}')
PY
}

run_ours() {  # format, jobs option, output folder
  rm -rf "$3" && mkdir -p "$3" && sync
  measure env XDG_RUNTIME_DIR="$work/rt" TMPDIR="$work/tmp" "$program" -i "$work/in/" -o "$3/" \
    -c "$1" -q $2
}
convert_loop() {  # format, output folder
  rm -rf "$2" && mkdir -p "$2" && sync
  measure sh -c 'for f in "$1"/*/*; do convert -quiet -colorspace sRGB "pict:$f" \
    "$2:$3/$(basename "$f").$2" 2>/dev/null; done; true' sh "$work/in" "$1" "$2"
}
convert_xargs() {  # format, output folder
  rm -rf "$2" && mkdir -p "$2" && sync
  measure sh -c 'find "$1" -type f | xargs -P"$4" -I{} sh -c '\''convert -quiet -colorspace sRGB \
    "pict:$1" "$2:$3/$(basename "$1").$2" 2>/dev/null; true'\'' sh {} "$2" "$3"' \
    sh "$work/in" "$1" "$2" "$cores"
}

echo "$n files ($copies copies of $corpus), $cores processors"
printf '%-34s %8s %8s %9s %9s\n' "" "wall s" "cpu s" "RSS MiB" "PSS MiB"
for format in jpg png; do
  for what in "--jobs=1" "default" "convert loop" "xargs -P$cores convert"; do
    case $what in
      --jobs=1) figures=$(run_ours "$format" --jobs=1 "$work/out") ;;
      default) figures=$(run_ours "$format" "" "$work/out") ;;
      "convert loop") figures=$(convert_loop "$format" "$work/out") ;;
      *) figures=$(convert_xargs "$format" "$work/out") ;;
    esac
    echo "$figures" | awk -v label="$format, $what" '{printf "%-34s %8s %8s %9s %9s\n", label, $1, $2, $3, $4}'
  done
done
