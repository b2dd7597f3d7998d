#!/bin/sh
# Converts the bundled sample pictures into a fresh folder and lists what was written.
set -e
program=$(readlink -f "$1")
out=$(mktemp -d)
"$program" --version
"$program" -i "$(dirname "$(readlink -f "$0")")/" -o "$out/" -c png
ls -l "$out"
