#!/usr/bin/env bash
# The older methods against Info-ZIP unzip, on the archives PKZIP wrote: zipvol extract and
# unzip -o -q -d on PKZ80A1.ZIP (Shrink) and PKZ110EI.ZIP (Implode), each into an emptied
# folder, alternating, best of 9 runs; goal: at most 1.0 of unzip's time. Reduce has no peer
# (unzip does not decode it): zipvol's throughput on PKZ80B1..4.ZIP in MB/s of output, next
# to Shrink's and Implode's. Skipped when the archives are not there (PKZIP_FIXTURES).
set -eu
cd "$(dirname "$0")/.."
fixtures=${PKZIP_FIXTURES:-../shared/fixtures/pkzip}
if [ ! -f "$fixtures/PKZ80A1.ZIP" ]; then
    echo "skipped: the PKZIP archives are not in $fixtures (set PKZIP_FIXTURES)"
    exit 0
fi
command -v unzip >/dev/null || { echo "skipped: Info-ZIP unzip is not installed"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
B=build/linux/bench/bench_zip
Z=$PWD/build/linux/zipvol
RUNS=9

# Bytes of output of an archive (all its entries).
output_bytes() { unzip -Zt "$1" | sed -n 's/^[0-9]* files\?, \([0-9]*\) bytes uncompressed.*/\1/p'; }
# Seconds of one run of a command into an emptied folder.
once() {
    local out=$1; shift
    rm -rf "$out"
    read -r t _ < <($B run 1 "$@")
    rm -rf "$out"
    echo "$t"
}
min() { awk -v x="$1" -v y="$2" 'BEGIN { print (x < y) ? x : y }'; }
mbps() { awk -v b="$1" -v t="$2" 'BEGIN { printf "%.1f", b / 1e6 / t }'; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for archive in PKZ80A1.ZIP:Shrink PKZ110EI.ZIP:Implode; do
    name=${archive%%:*} method=${archive##*:}
    zip="$fixtures/$name"
    ours=999999 theirs=999999
    for i in $(seq $RUNS); do
        ours=$(min "$(once "$work/o" "$Z" extract "$zip" -d "$work/o" --overwrite always)" "$ours")
        theirs=$(min "$(once "$work/u" unzip -o -q -d "$work/u" "$zip")" "$theirs")
    done
    bytes=$(output_bytes "$zip")
    echo "$name ($method, $bytes bytes out): zipvol extract ${ours} s ($(mbps "$bytes" "$ours") MB/s)," \
         "unzip -o -q -d ${theirs} s ($(mbps "$bytes" "$theirs") MB/s)"
    awk -v a="$ours" -v b="$theirs" 'BEGIN {
        printf "  ratio zipvol/unzip: %.2f (goal: at most 1.0)%s\n", a / b, (a / b <= 1.0) ? "" : "  OVER THE GOAL" }'
done
for f in 1 2 3 4; do
    zip="$fixtures/PKZ80B$f.ZIP"
    [ -f "$zip" ] || continue
    ours=999999
    for i in $(seq $RUNS); do ours=$(min "$(once "$work/o" "$Z" extract "$zip" -d "$work/o" --overwrite always)" "$ours"); done
    bytes=$(output_bytes "$zip")
    echo "PKZ80B$f.ZIP (Reduce factor $f, $bytes bytes out): zipvol extract ${ours} s, $(mbps "$bytes" "$ours") MB/s"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
