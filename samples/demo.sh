#!/bin/sh
# Converts the bundled sample pictures into a fresh folder and lists what was written.
set -e
program=$(readlink -f "$1")
samples=$(dirname "$(readlink -f "$0")")
out=$(mktemp -d "${TMPDIR:-/tmp}/quillmere-demo-XXXXXX")
"$program" --version
mkdir "$out/png" "$out/jpg"
"$program" -i "$samples/" -o "$out/png/" -c png
"$program" -i "$samples/" -o "$out/jpg/" -c jpg --jpg-quality=85 --width=50 --height=50 \
  --width-unit=percent --height-unit=percent --filename-mask="%filename%_%width%x%height%.%ext%"
echo
echo "Written to $out:"
ls -l "$out/png" "$out/jpg"
