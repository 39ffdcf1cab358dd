#!/usr/bin/env bash
# Builds the libFuzzer target with clang (ASan + UBSan) into build-fuzz/ and runs
# it for SECONDS (default 180). The seeds are the JPEG corpus beside the project,
# copied at run time; what the fuzzer learns goes to fuzz/corpus-run/ (not kept in
# git), crashes to build-fuzz/artifacts/.
set -euo pipefail
seconds=${1:-180}
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-fuzz"
corpus="${ORVANE_CORPUS_DIR:-$here/../shared/corpus}"

"$here/scripts/install-deps.sh" --fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DORVANE_GUI=OFF -DORVANE_TESTS=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j2 --target jpeg_fuzz

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$here/fuzz/corpus-run" "$build/artifacts"
if [ -d "$corpus" ]; then
  find "$corpus" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$seeds/" \;
else
  echo "fuzz: no seed corpus at $corpus; starting from nothing" >&2
fi

exec "$build/fuzz/jpeg_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=20 -rss_limit_mb=2560 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$here/fuzz/corpus-run" "$seeds"
