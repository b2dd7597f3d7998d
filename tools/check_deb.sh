#!/bin/sh
# Checks a quillmere package: it holds the program, its man page, its completion and its
# copyright file, and its Depends name ImageMagick, jxrlib's tools and the libraries the program
# links (from dpkg-shlibdeps). Prints both and fails on anything missing.
set -eu
deb=$1
contents=$(dpkg-deb -c "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
echo "$deb"
echo "$contents" | awk '{print $1, $6}'
echo "Depends: $depends"
status=0
for path in ./usr/bin/marrowickcmd ./usr/share/man/man1/marrowickcmd.1.gz \
  ./usr/share/bash-completion/completions/marrowickcmd ./usr/share/doc/quillmere/copyright; do
  echo "$contents" | grep -q " $path\$" || { echo "missing: $path" >&2; status=1; }
done
for package in imagemagick libjxr-tools libfreeimage3 libdevil1c2 libpangocairo libcairo2 \
  libavcodec liblcms2 libpixman libc6 libstdc++6; do
  echo "$depends" | grep -q "$package" || { echo "Depends lacks $package" >&2; status=1; }
done
exit $status
