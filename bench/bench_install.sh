#!/usr/bin/env bash
# The whole installation of a package of 100 MB in 1,000 files (one volume made by Info-ZIP
# zip -P, deflated and encrypted) by the Linux setup program with no input (AutoRun=1,
# SelectDialog=0, FinalMessage=0), against unzip -P -o -q -d of the same volume into an empty
# folder, best of 3 runs, alternating. Where the time goes: zipvol extract of the same volume
# (the archive reader and the decoders writing the files) against the whole run (that, plus
# staging, moving into place, the log and the shortcuts). Peak memory at two package sizes.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
B=build/linux/bench/bench_zip
Z=$PWD/build/linux/zipvol
S=$PWD/build/linux/setup/setup
PW=4817263950428173659042817365091847
REQUIRED="results.vrd XR4Setup.exe loadvorn.dat XR4vorn.dll XR.INI"
winpath() { local p=${1//\//\\}; printf '%s' "$p"; }

# package NAME FILES MB: dist/NAME/setup.dat with the setup program and its settings file.
package() {
    local dist=$work/$1
    mkdir -p "$dist"
    $B make-tree "$work/src-$1" "$2" "$3"
    (cd "$work/src-$1" && zip -q -r -P "$PW" "$dist/setup.dat" .)
    cp "$S" "$dist/"
    printf '[Main]\nInstallDir=%s\nAutoRun=1\nSelectDialog=0\nFinalMessage=0\n' "$(winpath "$work/target")" >"$dist/setup.ini"
}
# A target folder holding only the files the package requires.
fresh_target() {
    rm -rf "$work/target" "$work/home"
    mkdir -p "$work/target" "$work/home"
    for f in $REQUIRED; do echo base >"$work/target/$f"; done
}
min() { awk -v x="$1" -v y="$2" 'BEGIN { print (x < y) ? x : y }'; }

package big 1000 100
archive=$work/big/setup.dat
echo "volume: $(stat -c %s "$archive") bytes, $(unzip -Z1 "$archive" | grep -vc '/$') files, deflated, encrypted"
best_setup=999999 best_unzip=999999 best_zipvol=999999 setup_kb=0 unzip_kb=0
for run in 1 2 3; do
    fresh_target
    read -r t k < <(HOME=$work/home $B run 1 "$work/big/setup" </dev/null)
    if [ ! -f "$work/target/UNINST/vornforzat1_0.log" ]; then
        echo "  the setup program did not complete the installation; nothing measured"
        exit 1
    fi
    best_setup=$(min "$t" "$best_setup")
    [ "$k" -gt "$setup_kb" ] && setup_kb=$k
    rm -rf "$work/u"
    read -r t k < <($B run 1 unzip -P "$PW" -o -q -d "$work/u" "$archive")
    best_unzip=$(min "$t" "$best_unzip")
    [ "$k" -gt "$unzip_kb" ] && unzip_kb=$k
    rm -rf "$work/z"
    read -r t k < <($B run 1 "$Z" extract "$archive" -d "$work/z" -p "$PW" --overwrite always)
    best_zipvol=$(min "$t" "$best_zipvol")
done
diff -r "$work/src-big" "$work/u" >/dev/null || echo "  unzip's tree differs from the package"
echo "  setup (whole installation): ${best_setup} s, peak ${setup_kb} KiB"
echo "  unzip -P -o -q -d:          ${best_unzip} s, peak ${unzip_kb} KiB"
echo "  zipvol extract (reader):    ${best_zipvol} s"
awk -v a="$best_setup" -v b="$best_unzip" -v z="$best_zipvol" 'BEGIN {
    printf "  ratio setup/unzip: %.2f (goal: at most 0.9)\n", a / b
    printf "  where the time goes: reading and decoding %.2f s (%.0f%%), the run around it %.2f s\n", z, 100 * z / a, a - z }'

# Peak memory does not grow with the package: the same run with half the package.
rm -rf "$work/src-big" "$work/u" "$work/z"
package half 500 50
fresh_target
read -r t k < <(HOME=$work/home $B run 1 "$work/half/setup" </dev/null)
echo "  setup with 50 MB in 500 files: ${t} s, peak ${k} KiB (100 MB: ${setup_kb} KiB)"
