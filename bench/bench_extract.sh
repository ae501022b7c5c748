#!/usr/bin/env bash
# Extraction of 100 MB in 1,000 files, stored and stored-encrypted (archives made by
# Info-ZIP zip -0 and zip -0 -P): zipvol extract against unzip -o -q -d and 7z x, each into a
# fresh folder, best of 5 runs, alternating; peak resident memory of each.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
B=build/linux/bench/bench_zip
Z=$PWD/build/linux/zipvol
$B make-tree "$work/src" 1000 100
(cd "$work/src" && zip -q -0 -r ../stored.zip . && zip -q -0 -P benchpw -r ../encrypted.zip .)
for kind in stored encrypted; do
    archive="$work/$kind.zip"
    echo "archive: $kind, $(stat -c %s "$archive") bytes, $(unzip -Z1 "$archive" | grep -vc '/$') files"
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
    read -r ours ours_kb < <(best "$work/o" "$Z" extract "$archive" -d "$work/o" -p benchpw --overwrite always)
    read -r unz unz_kb < <(best "$work/u" unzip -o -q -P benchpw "$archive" -d "$work/u")
    read -r sev sev_kb < <(best "$work/s" 7z x -y -pbenchpw "-o$work/s" "$archive")
    echo "  zipvol extract: ${ours} s, peak ${ours_kb} KiB"
    echo "  unzip -o -q -d: ${unz} s, peak ${unz_kb} KiB"
    echo "  7z x:           ${sev} s, peak ${sev_kb} KiB"
    awk -v a="$ours" -v b="$unz" -v c="$sev" 'BEGIN {
        printf "  ratio zipvol/unzip: %.2f (goal: at most 0.8), zipvol/7z: %.2f\n", a / b, a / c }'
done
