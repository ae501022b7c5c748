#!/usr/bin/env bash
# Inflate against zlib and libdeflate on a 100 MB text-like stream (bench/InflateBench.cpp).
# Expects the linux preset built (bench/run builds it).
set -eu
cd "$(dirname "$0")/.."
[ -x build/linux/bench/inflate_bench ] || cmake --build --preset linux --target inflate_bench >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
build/linux/bench/inflate_bench "$@"
