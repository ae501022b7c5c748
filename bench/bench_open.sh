#!/usr/bin/env bash
# Opening a directory of 65,520 entries (the most the lists hold): the component's OpenZip
# alone, zipvol list, and Info-ZIP unzip -l on the same archive, best of 5 runs each.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
B=build/linux/bench/bench_zip
$B make-directory 65520 "$work/big.zip"
echo "archive: 65,520 stored entries, $(stat -c %s "$work/big.zip") bytes"
$B open "$work/big.zip"
read -r ours ours_kb < <($B run 5 build/linux/zipvol list "$work/big.zip")
read -r theirs theirs_kb < <($B run 5 unzip -l "$work/big.zip")
echo "zipvol list: ${ours} s (peak ${ours_kb} KiB); unzip -l: ${theirs} s (peak ${theirs_kb} KiB)"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "ratio zipvol list / unzip -l: %.2f (goal: at most 1)\n", a / b }'
