#!/usr/bin/env bash
# Whole-process benchmark of the resize job: orvane-resize -p 50 -q 80 on a
# 12-megapixel photo against the codec floor (libjpeg's own tools doing a
# decode at half size and an encode with the same DCT and quality), in the same
# run, plus the job's peak resident memory against its budget.
# Usage: bench/whole_job.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
exe="$build/cli/orvane-resize"
[ -x "$exe" ] || { echo "whole_job: $exe not built" >&2; exit 1; }
for tool in djpeg cjpeg; do
  command -v "$tool" >/dev/null || { echo "whole_job: $tool missing (libjpeg-turbo-progs)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"

. "$here/bench/lib/photo.sh" whole_job
# djpeg -verbose names the frame header: "Start Of Frame 0xc0: width=4032, height=3024, ...".
info=$(djpeg -verbose -scale 1/8 "$photo" 2>&1 >/dev/null || true)
sof=$(grep -m1 'Start Of Frame' <<<"$info")
width=$(sed 's/.*width=\([0-9]*\).*/\1/' <<<"$sof"); height=$(sed 's/.*height=\([0-9]*\).*/\1/' <<<"$sof")
target_width=$(( (width + 1) / 2 )); target_height=$(( (height + 1) / 2 ))

job="$exe -p 50 -q 80 -j 1 -o $work/out $photo"
floor="djpeg -dct float -scale 1/2 $photo | cjpeg -dct float -quality 80 > $work/floor.jpg"
full="djpeg -dct float $photo | cjpeg -dct float -quality 80 > $work/full.jpg"
# The codec work the job itself cannot avoid: a full-size float decode and an encode
# at the target size (of a target-size picture made beforehand).
djpeg -dct float -scale 1/2 "$photo" > "$work/target.ppm"
codec="djpeg -dct float $photo > /dev/null && cjpeg -dct float -quality 80 $work/target.ppm > $work/codec.jpg"

echo "Whole job on $(basename "$photo") (${width}x${height} -> 50 %)"
if command -v hyperfine >/dev/null; then
  hyperfine --style basic --warmup 1 --runs "${RUNS:-7}" --export-csv "$work/times.csv" \
    -n job "$job" -n floor "$floor" -n full-size-floor "$full" -n codec-work "$codec"
  median() { awk -F, -v name="$1" '$1 == name { print $4 }' "$work/times.csv"; }
else
  median() { sort -n "$work/$1.times" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
  for name in job floor full-size-floor codec-work; do
    case $name in job) cmd=$job ;; floor) cmd=$floor ;; full-size-floor) cmd=$full ;; *) cmd=$codec ;; esac
    for _ in $(seq "${RUNS:-7}"); do
      start=$(date +%s.%N); bash -c "$cmd"; end=$(date +%s.%N)
      echo "$end - $start" | bc -l >> "$work/$name.times"
    done
    printf '%-16s median %.3f s\n' "$name" "$(median $name)"
  done
fi
job_s=$(median job); floor_s=$(median floor); full_s=$(median full-size-floor); codec_s=$(median codec-work)
awk -v j="$job_s" -v f="$floor_s" -v g="$full_s" -v c="$codec_s" 'BEGIN {
  printf "median: job %.3f s, floor %.3f s, full-size floor %.3f s, codec work %.3f s\n", j, f, g, c
  printf "job / floor = %.2f (target at most 2.0); job / full-size floor = %.2f; job / codec work = %.2f\n", j / f, j / g, j / c }'

peak_kb=$(/usr/bin/time -f %M $job 2>&1 >/dev/null | tail -1)
budget_kb=$(( (9 * width * height + 9 * target_width * target_height) / 1024 + 40 * 1024 ))
echo "peak resident memory: $((peak_kb / 1024)) MB; budget 9 B/source px + 9 B/target px + 40 MB = $((budget_kb / 1024)) MB"
