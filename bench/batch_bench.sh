#!/bin/sh
# Converts trees of small PICT files (100 and 1000 by default) in one run each and reports the
# time; the peak memory: the resident sizes of marrowickcmd, its workers and their children,
# summed (sampled every 0.2 s, so it depends on which converters happen to run at a sample), and
# the high-water marks of marrowickcmd itself and of its largest child (a worker, or a
# converter); the peak number of open file descriptors of marrowickcmd; and whether anything was
# left in its temporary folder. High-water marks and descriptors must not grow with the number of
# files.
# Options for the program (--jobs=1, say) come from $OPTIONS.
#
#   sh bench/batch_bench.sh [build/bin/marrowickcmd [COUNT...]]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(readlink -f "${1:-$here/../build/bin/marrowickcmd}")
corpus=$here/../../shared/corpus/pict-synthetic
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ $# -gt 0 ] && shift
counts=${*:-100 1000}

# Resident KiB of a process and all below it.
tree_rss() {
  total=$(awk '/VmRSS/ {print $2}' /proc/"$1"/status 2>/dev/null || echo 0)
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
    total=$((${total:-0} + $(tree_rss "$child")))
  done
  echo "${total:-0}"
}

# The highest resident KiB a process has had so far.
high_water() { awk '/VmHWM/ {print $2}' /proc/"$1"/status 2>/dev/null || echo 0; }

run() {
  count=$1
  in=$work/in$count out=$work/out$count tmp=$work/tmp$count rt=$work/rt$count
  mkdir -p "$in" "$out" "$tmp" "$rt"
  i=0
  while [ $i -lt "$count" ]; do
    sub=$in/d$((i % 10))/e$((i % 3))
    mkdir -p "$sub"
    case $((i % 4)) in
      0) cp "$corpus/im-rgb-3x2.pct" "$sub/f$i.pct" ;;
      1) cp "$corpus/nb-8x1-min.pct" "$sub/f$i.pct" ;;
      2) cp "$corpus/im-rgb-80x60-gradient.pct" "$sub/f$i.pict" ;;
      3) cp "$corpus/bad-garbage.pct" "$sub/f$i.pic" ;;  # fails: exercises the fallback
    esac
    i=$((i + 1))
  done
  start=$(date +%s.%N)
  # shellcheck disable=SC2086
  # (The damaged quarter's reasons on standard error are expected: not shown.)
  XDG_RUNTIME_DIR=$rt TMPDIR=$tmp "$program" -i "$in/" -o "$out/" -c png -q ${OPTIONS:-} \
    2>/dev/null &
  pid=$!
  peak_fd=0 peak_rss=0 peak_own=0 peak_child=0
  while kill -0 $pid 2>/dev/null; do
    fds=$(ls /proc/$pid/fd 2>/dev/null | wc -l)
    rss=$(tree_rss $pid)
    own=$(high_water $pid)
    child=0
    for c in $(ps -o pid= --ppid $pid 2>/dev/null); do
      hw=$(high_water "$c")
      [ "${hw:-0}" -gt $child ] && child=$hw
    done
    [ "${fds:-0}" -gt $peak_fd ] && peak_fd=$fds
    [ "${rss:-0}" -gt $peak_rss ] && peak_rss=$rss
    [ "${own:-0}" -gt $peak_own ] && peak_own=$own
    [ "$child" -gt $peak_child ] && peak_child=$child
    sleep 0.2
  done
  wait $pid || true
  end=$(date +%s.%N)
  written=$(find "$out" -type f | wc -l)
  left=$(find "$tmp" -mindepth 1 | wc -l)
  printf '%5d files: %6.1f s, %4d written, peak RSS %6d KiB (program %d, largest child %d), peak fds %3d, left in temp %d\n' \
    "$count" "$(awk "BEGIN {print $end - $start}")" "$written" "$peak_rss" "$peak_own" \
    "$peak_child" "$peak_fd" "$left"
}

for count in $counts; do run "$count"; done
