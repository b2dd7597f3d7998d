#!/bin/sh
# Records what a build of marrowickcmd writes for a fixed list of runs, and compares two records:
# the proof that a change of structure changed no output. Each run's standard output, standard
# error, exit status and a manifest of the files it wrote (SHA-256 of each; for png and tiff also
# a digest of the decoded pixels, by tools/pixel_digest) are kept; the files themselves are not.
#
#   sh tools/compare_outputs.sh record PROGRAM RECORD [SET...]
#       runs every set (or the sets named) with PROGRAM into RECORD/SET/
#   sh tools/compare_outputs.sh compare BEFORE AFTER
#       png and tiff files, and the bmp files of the runs with RLE, by their pixels (their bytes
#       may differ), every other file, the printed lines and the exit status byte for byte;
#       exit status 1 on any difference. Two things of standard error vary from run to run of
#       any build and are reported apart without counting: what FreeImage's PICT reader says of
#       a damaged file (it crashes with one signal or another, or runs out of time on a busy
#       machine), and where the warnings libtiff prints from the worker processes fall among
#       the program's own lines.
#   sh tools/compare_outputs.sh compare-bytes FIRST SECOND
#       every file byte for byte: two records of one program, to show its outputs depend on
#       the picture and the options alone
#
# The runs use fixed paths under $COMPARE_WORK (default /tmp/quillmere-compare), so that the
# lines printed by two records name the same files. The corpus is ../shared/corpus beside the
# checkout, or $QUILLMERE_CORPUS; PIXEL_DIGEST names the digest program (default
# build/tools/pixel_digest).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(readlink -f "${QUILLMERE_CORPUS:-$here/../../shared/corpus}")
work=${COMPARE_WORK:-/tmp/quillmere-compare}
digest=${PIXEL_DIGEST:-$here/../build/tools/pixel_digest}
logo=$corpus/refs/pict-real/twelvemonkeys/5.pict.png

# name | input (corpus: the real and synthetic PICT corpus; x20: the real corpus copied twenty
# times, as bench/jobs_bench.sh converts it) | options
sets() {
  cat <<EOF
x20-jpg-jobs1|x20|-c jpg -q --jobs=1
x20-jpg-default|x20|-c jpg -q
x20-png-jobs1|x20|-c png -q --jobs=1
x20-png-default|x20|-c png -q
default|corpus|
debug|corpus|-d -c png
png-jobs1|corpus|-c png --jobs=1
png-bpp1|corpus|-c png --png-bpp=1
png-bpp4|corpus|-c png --png-bpp=4
png-bpp8|corpus|-c png --png-bpp=8
png-bpp32|corpus|-c png --png-bpp=32
png-bpp48|corpus|-c png --png-bpp=48
png-interlaced|corpus|-c png --png-interlaced
png-interlaced-bpp8|corpus|-c png --png-interlaced --png-bpp=8
png-zlib9|corpus|-c png --png-compression=zlib9
png-zlib1-interlaced|corpus|-c png --png-compression=zlib1 --png-interlaced
tiff-lzw|corpus|-c tiff --tiff-compression=lzw
tiff-jpeg-cmyk|corpus|-c tiff --tiff-compression=jpeg --tiff-color-model=cmyk
tiff-deflate-48|corpus|-c tiff --tiff-compression=deflate --tiff-bpp=48
tiff-g4-1|corpus|-c tiff --tiff-compression=ccittfax4 --tiff-bpp=1
tiff-packbits-8|corpus|-c tiff --tiff-compression=packbits --tiff-bpp=8
jpg-q60|corpus|-c jpg --jpg-quality=60 --jpg-chroma=high --jpg-save-as=progressive
jpg-grey|corpus|-c jpg --jpg-bpp=8 --jpg-save-as=optimized
bmp-rle-exact|corpus|-c bmp --bmp-bpp=8 --bmp-compression=rle --bmp-color-table=exact
bmp-rle|corpus|-c bmp --bmp-bpp=8 --bmp-compression=rle
bmp-16|corpus|-c bmp --bmp-bpp=16
tga-rle-32|corpus|-c tga --tga-compression=rle --tga-bpp=32
exr-piz|corpus|-c exr --exr-compression=piz
wm-text|corpus|-c png --wm-text=%n%_%filename%_%width%x%height%_%bpp% --wm-font-color=FF8000 --wm-back-color=000080 --wm-back-opacity=128 --wm-text-position=topleft
wm-text-smooth|corpus|-c png --wm-text=Quillmere%eol%second --wm-text-antialiasing --wm-font-size=20 --wm-font-style=bolditalic --wm-font-effect=underline --wm-text-alignment=center --wm-text-padding=4 --wm-text-opacity=200 --wm-text-rotation=30 --wm-text-boundary=frame --fr-solid-left=6 --fr-solid-right=6 --fr-solid-top=6 --fr-solid-bottom=6
wm-image|corpus|-c png --wm-image=$logo --wm-image-opacity=128 --wm-image-greyscale --wm-image-position=middlecenter
frame|corpus|-c png --fr-solid-left=5 --fr-solid-right=10 --fr-solid-top=15 --fr-solid-bottom=20 --fr-solid-left-color=FF0000 --fr-solid-right-color=00ff00 --fr-solid-top-color=0000FF --fr-solid-bottom-color=808080 --fr-solid-opacity=200
rotate-30|corpus|-c png --rotation=30 --rotation-back-color=FF0000
rotate-90|corpus|-c jpg --rotation=90
rotate-advanced|corpus|-c png --rotation=45 --rotation-type=advanced
resize-colours|corpus|-c png --width=50 --height=50 --width-unit=percent --height-unit=percent --resize-algorithm=lanczos --flip-horizontal --flip-vertical --brightness=10 --contrast=-10 --gamma=1.2 --invert
grey-threshold|corpus|-c png --greyscale --threshold=128
mask|corpus|-c png --filename-mask=%n%_%filename[u]%_%bpp%_%width%.%ext[u]% --no-subfolders
time-custom|corpus|-c png --file-timestamp=custom --file-timestamp-custom=1000000000
time-original|corpus|-c png --file-timestamp=original
scale-2|corpus|-c png --pict-scale=2
profile|corpus|-c jpg --profile=$work/profile.ini
EOF
  for format in bmp dds exr gif hdr ico j2k jng jp2 jpg jxr pbm pcx pfm pgm png ppm psd tga tiff \
    wbmp webp xpm; do
    echo "format-$format|corpus|-c $format"
  done
}

# The real corpus copied twenty times, named as bench/jobs_bench.sh names the copies.
make_x20() {
  [ -d "$work/x20" ] && return 0
  rm -rf "$work/x20.part"
  sh "$here/../bench/copy_corpus.sh" "$corpus/pict-real" 20 "$work/x20.part"
  mv "$work/x20.part" "$work/x20"
}

# One line a file written: its SHA-256 and path; png and tiff files also get the digest of their
# pixels, bmp files of RLE runs ImageMagick's (FreeImage reads no RLE8 BMP), and the files of
# the timestamp runs their modification time.
manifest() {  # folder, set name
  (cd "$1" && find . -type f | LC_ALL=C sort | while IFS= read -r f; do
    echo "bytes $(sha256sum "$f" | cut -d' ' -f1) $f"
    case $f in
      *.png | *.PNG | *.tiff | *.TIFF) echo "pixels $("$digest" "$f" 2>/dev/null | cut -d' ' -f1) $f" ;;
      *.bmp) case $2 in *rle*) echo "pixels $(identify -format '%#' "$f" 2>/dev/null) $f" ;; esac ;;
    esac
    case $2 in time-*) echo "mtime $(stat -c %Y "$f") $f" ;; esac
  done)
}

# Standard error with FreeImage's reader's account of a file left out.
steady_errors() {
  sed "s/FreeImage's reader: .*\$/FreeImage's reader: .../" "$1"
}

record() {  # program, record folder, sets...
  program=$(readlink -f "$1")
  target=$2
  shift 2
  [ -x "$digest" ] || { echo "no pixel digest program at $digest" >&2; exit 2; }
  mkdir -p "$target" "$work/rt" "$work/tmp"
  printf '[CLI]\n--JPG-QUALITY=70\n--WIDTH=200\n--HEIGHT=150\n--RESIZE-ALGORITHM=BOX\n' >"$work/profile.ini"
  sets | while IFS='|' read -r name input options; do
    if [ $# -gt 0 ]; then
      case " $* " in *" $name "*) ;; *) continue ;; esac
    fi
    case $input in
      x20) make_x20 && from=$work/x20/ ;;
      *) from=$corpus/ ;;
    esac
    out=$work/out/$name
    rm -rf "$out" && mkdir -p "$out" "$target/$name"
    status=0
    # The options are words without spaces, split here on purpose.
    # shellcheck disable=SC2086
    env XDG_RUNTIME_DIR="$work/rt" TMPDIR="$work/tmp" "$program" -i "$from" -o "$out/" \
      --exit-status $options >"$target/$name/stdout" 2>"$target/$name/stderr" || status=$?
    echo "$status" >"$target/$name/status"
    manifest "$out" "$name" >"$target/$name/manifest"
    echo "$name: status $status, $(grep -c '^bytes' "$target/$name/manifest") files"
    rm -rf "$out"
  done
}

compare() {  # mode, first record, second record
  mode=$1 first=$2 second=$3
  differences=0
  mkdir -p "$work"
  for folder in "$first"/*/; do
    name=$(basename "$folder")
    if [ ! -d "$second/$name" ]; then
      echo "$name: only in $first"
      differences=$((differences + 1))
      continue
    fi
    for part in stdout stderr status; do
      cmp -s "$first/$name/$part" "$second/$name/$part" && continue
      if [ "$part" = stderr ] && [ "$(steady_errors "$first/$name/stderr")" = \
        "$(steady_errors "$second/$name/stderr")" ]; then
        echo "$name: stderr differs only in what FreeImage's reader said of a damaged file"
        continue
      fi
      if [ "$part" = stderr ] && [ "$(steady_errors "$first/$name/stderr" | sort)" = \
        "$(steady_errors "$second/$name/stderr" | sort)" ]; then
        echo "$name: stderr differs only in the order of its lines (libraries' warnings)"
        continue
      fi
      echo "$name: $part differs"
      differences=$((differences + 1))
    done
    # png and tiff, and the bmp of RLE runs, by their pixels (unless every byte must match);
    # every other file by its bytes.
    side=0
    for record in "$first" "$second"; do
      side=$((side + 1))
      if [ "$mode" = bytes ]; then
        grep -E '^(bytes|mtime) ' "$record/$name/manifest" || true
      else
        grep -E '^(pixels|mtime) ' "$record/$name/manifest" || true
        grep -E '^bytes ' "$record/$name/manifest" | grep -vE '\.(png|PNG|tiff|TIFF)$' |
          { case $name in *rle*) grep -vE '\.bmp$' ;; *) cat ;; esac; } || true
      fi >"$work/compared.$side"
    done
    if ! cmp -s "$work/compared.1" "$work/compared.2"; then
      echo "$name: files differ:"
      diff "$work/compared.1" "$work/compared.2" |
        head -10 || true
      differences=$((differences + 1))
    fi
    files=$(grep -c '^bytes' "$first/$name/manifest" || true)
    changed=$(printf '%s\n%s\n' "$(grep '^bytes' "$first/$name/manifest")" \
      "$(grep '^bytes' "$second/$name/manifest")" | sort | uniq -u | wc -l)
    echo "$name: $files files; $((changed / 2)) differ in bytes"
  done
  for folder in "$second"/*/; do
    [ -d "$first/$(basename "$folder")" ] || {
      echo "$(basename "$folder"): only in $second"
      differences=$((differences + 1))
    }
  done
  echo "$differences difference(s)"
  [ "$differences" -eq 0 ]
}

case ${1:-} in
  record) shift && record "$@" ;;
  compare) compare pixels "$2" "$3" ;;
  compare-bytes) compare bytes "$2" "$3" ;;
  *)
    sed -n '2,20p' "$0" >&2
    exit 2
    ;;
esac
