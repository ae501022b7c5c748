#!/usr/bin/env bash
# Deflate: Inflate alone against zlib and libdeflate on a 100 MB text-like stream
# (bench/InflateBench.cpp), then zipvol extract against unzip -o -q -d and 7z x on an
# archive made by zip -6 of 100 MB of text-like files in 1,000 files, each command into a
# fresh folder, best of 5 runs (timed by bench_zip run). Expects the linux preset built.
set -eu
cd "$(dirname "$0")/.."
I=build/linux/bench/inflate_bench
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
$I

B=build/linux/bench/bench_zip
Z=$PWD/build/linux/zipvol
if [ ! -x "$B" ] || [ ! -x "$Z" ]; then
    echo "zipvol extract: skipped (zipvol and bench_zip are not built)"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
$I make-text-tree "$work/src" 1000 100
(cd "$work/src" && zip -q -6 -r ../deflate.zip .)
archive="$work/deflate.zip"
echo "archive: zip -6, $(stat -c %s "$archive") bytes, $(unzip -Z1 "$archive" | grep -vc '/$') files"
best() {  # best seconds of a command over 5 runs, each into an emptied folder
    local out=$1; shift
    local b=999999 kb=0 t k
    for i in 1 2 3 4 5; do
        rm -rf "$out"
        read -r t k < <($B run 1 "$@")
        b=$(awk -v x="$t" -v y="$b" 'BEGIN { print (x < y) ? x : y }')
        [ "$k" -gt "$kb" ] && kb=$k
    done
    rm -rf "$out"
    echo "$b $kb"
}
read -r ours ours_kb < <(best "$work/o" "$Z" extract "$archive" -d "$work/o" --overwrite always)
read -r unz unz_kb < <(best "$work/u" unzip -o -q "$archive" -d "$work/u")
read -r sev sev_kb < <(best "$work/s" 7z x -y "-o$work/s" "$archive")
echo "  zipvol extract: ${ours} s, peak ${ours_kb} KiB"
echo "  unzip -o -q -d: ${unz} s, peak ${unz_kb} KiB"
echo "  7z x:           ${sev} s, peak ${sev_kb} KiB"
awk -v a="$ours" -v b="$unz" -v c="$sev" 'BEGIN {
    printf "  ratio zipvol/unzip: %.2f (target at most 0.75), zipvol/7z: %.2f (target at most 1.0)\n", a / b, a / c }'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
