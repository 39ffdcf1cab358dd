#!/usr/bin/env bash
# The thumbnail strip with 100 selected 12-megapixel photos: the rebuild
# (ShowThumbnails) and one full paint of the strip until every thumbnail is drawn,
# against decoding the same 100 files at full size with djpeg -dct float in the
# same run; and the program's peak resident memory against its budget.
# Usage: bench/thumbnails.sh BUILD_DIR     (RUNS=n repeats each side, default 5)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
exe="$build/bench/thumbnail_strip_bench"
[ -x "$exe" ] || { echo "thumbnails: $exe not built (configure with -DORVANE_BENCH=ON)" >&2; exit 1; }
command -v djpeg >/dev/null || { echo "thumbnails: djpeg missing (libjpeg-turbo-progs)" >&2; exit 1; }
runs=${RUNS:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/photos"

. "$here/bench/lib/photo.sh" thumbnails
# The file list counts a link to a regular file as a file; every link is read whole.
for i in $(seq -w 1 100); do ln -s "$photo" "$work/photos/photo$i.jpg"; done
files=("$work"/photos/*.jpg)

full_decode() { for f in "${files[@]}"; do djpeg -dct float -outfile /dev/null "$f"; done; }
eighth_decode() { for f in "${files[@]}"; do djpeg -scale 1/8 -outfile /dev/null "$f"; done; }
now() { date +%s.%N; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

echo "Thumbnail strip: 100 x $(basename "$photo"), $runs runs each"
full_decode # warm the page cache and the binaries
: > "$work/full.times"; : > "$work/strip.times"; : > "$work/rebuild.times"; : > "$work/paint.times"
for _ in $(seq "$runs"); do
  # Alternated, so that a slower moment of the machine weighs on both sides.
  start=$(now); full_decode; end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }' >> "$work/full.times"
  "$exe" "$work/photos" 1 > "$work/run.txt"
  # "median: rebuild R ms, full paint P ms, together T ms"
  read -r r p t < <(awk '/^median:/ { print $3 / 1000, $7 / 1000, $10 / 1000 }' "$work/run.txt")
  echo "$r" >> "$work/rebuild.times"; echo "$p" >> "$work/paint.times"; echo "$t" >> "$work/strip.times"
  grep -q '^thumbnails 100, drawn 100' "$work/run.txt" || { echo "thumbnails: not every thumbnail was drawn" >&2; cat "$work/run.txt" >&2; exit 1; }
done
full_s=$(median < "$work/full.times"); strip_s=$(median < "$work/strip.times")
rebuild_s=$(median < "$work/rebuild.times"); paint_s=$(median < "$work/paint.times")
awk -v f="$full_s" -v s="$strip_s" -v r="$rebuild_s" -v p="$paint_s" 'BEGIN {
  printf "median: djpeg -dct float over the 100 files %.3f s\n", f
  printf "median: rebuild %.3f s, full paint %.3f s, together %.3f s\n", r, p, s
  printf "rebuild + full paint / full-size decode = %.1f %% (target at most 25 %%)\n", 100 * s / f }'

# For reference: libjpeg's 1/8 decode alone, which still reads every coefficient,
# and what it would take spread over every core.
start=$(now); eighth_decode; end=$(now)
awk -v a="$start" -v b="$end" -v f="$full_s" -v n="$(nproc)" 'BEGIN {
  printf "reference: djpeg -scale 1/8 over the 100 files %.3f s = %.1f %% of the full-size decode, %.1f %% over %d cores\n",
         b - a, 100 * (b - a) / f, 100 * (b - a) / f / n, n }'

# Memory of one rebuild and paint in a process of its own.
peak_kb=$(/usr/bin/time -f %M "$exe" "$work/photos" 1 2>&1 >/dev/null | tail -1)
bytes=$(( $(stat -L -c %s "$photo") * 100 ))
budget_kb=$(( bytes / 1024 + 100 * 2048 + 100 * 1024 ))
echo "peak resident memory: $((peak_kb / 1024)) MB; budget: files $((bytes / 1048576)) MB + 2 MB per thumbnail + 100 MB = $((budget_kb / 1024)) MB"
