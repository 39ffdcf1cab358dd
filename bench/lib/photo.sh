# Sourced by the benchmarks: sets photo to the 12-megapixel photo of the large corpus,
# or to a synthetic stand-in of the same size coded by cjpeg in the folder $work.
# $1 names the benchmark in the message.
photo="${ORVANE_BIG_CORPUS_DIR:-$here/../shared/corpus-big}/big-camera-olympus-ep3-12mp-4032x3024.jpg"
if [ ! -f "$photo" ]; then
  echo "$1: $photo not found; using a synthetic photo" >&2
  if command -v convert >/dev/null; then
    convert -size 4032x3024 gradient:'#204080-#f0c040' -swirl 180 "$work/synthetic.ppm"
  else
    { printf 'P6\n4032 3024\n255\n'; head -c $((4032 * 3024 * 3)) /dev/urandom; } > "$work/synthetic.ppm"
  fi
  cjpeg -quality 92 -sample 2x1 "$work/synthetic.ppm" > "$work/photo.jpg"
  photo="$work/photo.jpg"
fi
