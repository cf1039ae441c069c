#!/usr/bin/env bash
# Scales the program icon to the hicolor theme sizes the package installs. Run it again only
# when assets/resources/icon.png changes; the results are committed, so building never needs
# ImageMagick (apt-get install imagemagick).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source_icon="$here/../resources/icon.png"
for size in 16 32 48 64 128 256; do
  out="$here/icons/${size}x${size}/vantoria.png"
  mkdir -p "$(dirname "$out")"
  # Lanczos keeps the ball round and sharp at small sizes; no time chunks, so the output only
  # changes when the source does.
  convert "$source_icon" -filter Lanczos -resize "${size}x${size}" -strip \
          -define png:exclude-chunks=date,time "PNG32:$out"
  identify -format "%f %wx%h %[channels]\n" "$out"
done
