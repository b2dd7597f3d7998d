#!/bin/sh
# The default PNG run of bench/jobs_bench.sh (the real PICT corpus copied twenty times, png, no
# other option) with --jobs=1 and with the default jobs, for each program named, in turn, so
# that two builds meet the same load of a shared machine; wall time and CPU time (user + system
# of the whole process tree), the median of the runs. Each run starts once the disk has taken
# the previous run's outputs (sync).
#
#   sh bench/png_bench.sh [runs] PROGRAM...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(readlink -f "${QUILLMERE_CORPUS:-$here/../../shared/corpus}")/pict-real
runs=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/rt" "$work/tmp"
sh "$here/copy_corpus.sh" "$corpus" 20 "$work/in"

# Prints "wall cpu" in seconds for one run of program with the jobs option.
run() {  # program, jobs option (or "")
  rm -rf "$work/out" && mkdir -p "$work/out" && sync
  # shellcheck disable=SC2086
  /usr/bin/time -f '%e %U %S' -o "$work/time" env XDG_RUNTIME_DIR="$work/rt" TMPDIR="$work/tmp" \
    "$1" -i "$work/in/" -o "$work/out/" -c png -q $2 >/dev/null 2>&1 || true
  awk '{printf "%.2f %.2f\n", $1, $2 + $3}' "$work/time"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

echo "$(find "$work/in" -type f | wc -l) files, $(nproc) processors, $runs runs each"
for jobs in --jobs=1 ""; do
  for round in $(seq "$runs"); do
    for program in "$@"; do
      echo "$program ${jobs:-default} $(run "$program" "$jobs")" >>"$work/figures"
    done
  done
done
printf '%-60s %-9s %8s %8s\n' program jobs "wall s" "cpu s"
for jobs in --jobs=1 default; do
  for program in "$@"; do
    wall=$(awk -v p="$program" -v j="$jobs" '$1 == p && $2 == j {print $3}' "$work/figures" | median)
    cpu=$(awk -v p="$program" -v j="$jobs" '$1 == p && $2 == j {print $4}' "$work/figures" | median)
    printf '%-60s %-9s %8s %8s\n' "$program" "$jobs" "$wall" "$cpu"
  done
done
