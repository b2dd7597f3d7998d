#!/bin/sh
# Resuming interrupted runs: the real PICT corpus copied twenty times, converted once without
# interruption (the reference), then, for each of SIGINT (to the process group, as Ctrl-C),
# SIGTERM and SIGKILL (to the program alone, as the OOM killer), into a fresh output folder: five
# runs each ended by the signal at a random moment, each one resuming the last with
# --skip-existing, then one resume left to finish. Prints per signal whether the final tree is
# byte for byte the reference, how many outputs were written more than once (an output's inode
# changes whenever it is put in place again), and the drafts and private folders left (after
# each interrupted run, and at the end), and, from the JSON reports of all the runs, how many
# inputs have more than one "converted" record and whether every line of them parses.
#
#   sh bench/resume_measure.sh [build-folder] [corpus-folder] [copies] [format]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(readlink -f "${1:-$here/../build}")
corpus=$(readlink -f "${2:-$here/../../shared/corpus/pict-real}")
copies=${3:-20}
format=${4:-jpg}
program=$build/bin/marrowickcmd
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/rt" "$work/tmp" "$work/ref"
export XDG_RUNTIME_DIR="$work/rt" TMPDIR="$work/tmp"

sh "$here/copy_corpus.sh" "$corpus" "$copies" "$work/in"
n=$(find "$work/in" -type f | wc -l)

start=$(date +%s.%N)
"$program" -i "$work/in/" -o "$work/ref/" -c "$format" -q 2>/dev/null || true
reference=$(echo "$(date +%s.%N) - $start" | bc)
echo "reference: $n inputs, $(find "$work/ref" -type f | wc -l) outputs, ${reference} s"

# A random moment, in milliseconds, between a tenth of a second and four fifths of the time the
# run in hand needs, taken as the reference time's share of the outputs still missing in $1 (so
# that a resume, which has less to do, is still interrupted before it ends).
moment() {
  missing=$(($(find "$work/ref" -type f | wc -l) - $(find "$1" -type f | wc -l)))
  awk -v seed="$(od -An -N4 -tu4 /dev/urandom)" -v top="$reference" -v share="$missing" \
    -v all="$n" 'BEGIN { srand(seed); top *= (share + 20) / all;
                         printf "%d", 100 + rand() * (top * 800 - 100) }'
}

# Outputs with their inodes; drafts and private folders left.
inodes() { find "$1" -type f -printf '%P %i\n' | sort; }
drafts() { find "$1" -name '.marrowick-draft*' | wc -l; }
private_folders() { find "$work/tmp" -maxdepth 1 -name 'quillmere~*' | wc -l; }

# Runs one resume (waiting while the killed run's workers still hold the lock); with a signal,
# ends it at a random moment. Prints the exit code.
resume() {
  signal=$1 out=$2
  while :; do
    # A shell without job control starts background commands with SIGINT ignored; the program
    # keeps a signal ignored that it was started with, so it gets SIGINT back by default.
    setsid env --default-signal=INT "$program" -i "$work/in/" -o "$out/" -c "$format" -q \
      --skip-existing --exit-status --report="$work/report-$signal.jsonl" \
      >/dev/null 2>>"$work/errors" &
    pid=$!
    if [ -n "$signal" ]; then
      sleep "$(echo "$(moment "$out") / 1000" | bc -l)"
      case $signal in
        INT) kill -INT "-$pid" 2>/dev/null || true ;;
        *) kill "-$signal" "$pid" 2>/dev/null || true ;;
      esac
    fi
    status=0
    { wait "$pid"; } 2>/dev/null || status=$?
    [ "$status" -eq 3 ] || break
    sleep 0.2
  done
  echo "$status"
}

for signal in INT TERM KILL; do
  out=$work/out-$signal
  mkdir -p "$out"
  : >"$work/inodes-$signal"
  left=""
  for i in 1 2 3 4 5; do
    status=$(resume "$signal" "$out")
    left="$left $(drafts "$out")/$(private_folders)($status)"
    inodes "$out" >>"$work/inodes-$signal"
  done
  status=$(resume "" "$out")
  inodes "$out" >>"$work/inodes-$signal"
  # An output seen with two inodes was put in place twice: its input was converted twice.
  twice=$(sort -u "$work/inodes-$signal" | awk '{ print $1 }' | uniq -d | wc -l)
  if diff -r "$work/ref" "$out" >/dev/null; then same=identical; else same=DIFFERENT; fi
  # The reports of all the runs: an input converted twice has two "converted" records.
  reported=$(python3 -c '
import collections, json, sys
converted = collections.Counter()
lines = 0
for line in open(sys.argv[1]):
    record = json.loads(line)
    lines += 1
    if record["status"] == "converted":
        converted[(record["input"], record["resource"])] += 1
print(lines, "report lines parse,", sum(1 for n in converted.values() if n > 1),
      "inputs converted twice,", len(converted), "converted once")
' "$work/report-$signal.jsonl")
  echo "SIG$signal: final tree $same to the reference ($(find "$out" -type f | wc -l) files)," \
    "outputs written twice: $twice; $reported;" \
    "drafts/private folders(exit) after each interruption:$left;" \
    "at the end: $(drafts "$out") drafts, $(private_folders) private folders (exit $status)"
done
