#!/usr/bin/env bash
# The whole installation of a package of 100 MB of text-like files in 1,000 files (one volume
# made by Info-ZIP zip -P: deflated and encrypted) by the Linux setup program with no input
# (AutoRun=1, SelectDialog=0, FinalMessage=0), against unzip -P -o -q -d of the same volume
# into an empty folder, 5 rounds alternating which goes first; best and median of each, with
# processor time. Where the time goes: zipvol extract of the same volume (reader, decoders,
# files written in place) against the whole run (that, plus staging, moving into place, the
# log), and perf's share of the run by part when perf works. Peak memory at three sizes.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
B=build/linux/bench/bench_zip
I=build/linux/bench/inflate_bench
Z=$PWD/build/linux/zipvol
S=$PWD/build/linux/setup/setup
# The setup program's password, from the one header that holds it.
PW=$(sed -n 's/.*ArchivePassword = "\([0-9]*\)".*/\1/p' install/ArchivePassword.h)
REQUIRED="results.vrd XR4Setup.exe loadvorn.dat XR4vorn.dll XR.INI"
ROUNDS=5
winpath() { local p=${1//\//\\}; printf '%s' "$p"; }

# package NAME FILES MB: dist/NAME/setup.dat with the setup program and its settings file.
package() {
    local dist=$work/$1
    mkdir -p "$dist"
    $I make-text-tree "$work/src-$1" "$2" "$3"
    (cd "$work/src-$1" && zip -q -r -P "$PW" "$dist/setup.dat" .)
    cp "$S" "$dist/"
    printf '[Main]\nInstallDir=%s\nAutoRun=1\nSelectDialog=0\nFinalMessage=0\n' "$(winpath "$work/target")" >"$dist/setup.ini"
}
# A target folder holding only the files the package requires; nothing of an earlier run is
# still being written back to the disk.
fresh_target() {
    rm -rf "$work/target" "$work/home" "$work/u" "$work/z"
    mkdir -p "$work/target" "$work/home"
    for f in $REQUIRED; do echo base >"$work/target/$f"; done
    sync
}
# The installation as the timed command (a function cannot be timed by bench_zip).
cat >"$work/install.sh" <<EOF
#!/bin/sh
HOME=$work/home exec "\$1/setup" </dev/null
EOF
chmod +x "$work/install.sh"
stats() {  # the best and the median of the numbers on standard input
    sort -g | awk '{ v[NR] = $1 } END { printf "%.3f %.3f\n", v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
package big 1000 100
archive=$work/big/setup.dat
files=$(unzip -Z1 "$archive" | grep -vc '/$')
deflated=$(unzip -Z "$archive" | awk '/^-/ && $6 ~ /^def/ && $5 ~ /^[TB]/ { n++ } END { print n + 0 }')
echo "volume: $(stat -c %s "$archive") bytes for $(du -sb "$work/src-big" | cut -f1) bytes in $files files, $deflated of them deflated and encrypted"
: >"$work/setup.t"; : >"$work/unzip.t"; : >"$work/zipvol.t"; : >"$work/ratio.t"
setup_kb=0 unzip_kb=0 setup_cpu="" unzip_cpu=""
for round in $(seq 1 $ROUNDS); do
    for who in setup unzip; do
        # Odd rounds start with the setup program, even rounds with unzip.
        if [ $((round % 2)) -eq 0 ]; then who=$([ $who = setup ] && echo unzip || echo setup); fi
        fresh_target
        if [ $who = setup ]; then
            read -r t k u s < <($B time 1 "$work/install.sh" "$work/big")
            [ -f "$work/target/UNINST/vornforzat1_0.log" ] || { echo "  the setup program did not complete the installation; nothing measured"; exit 1; }
            st=$t
            if [ "$k" -gt "$setup_kb" ]; then setup_kb=$k; fi
            setup_cpu="$setup_cpu $u+$s"
        else
            read -r t k u s < <($B time 1 unzip -P "$PW" -o -q -d "$work/u" "$archive")
            ut=$t
            if [ "$k" -gt "$unzip_kb" ]; then unzip_kb=$k; fi
            unzip_cpu="$unzip_cpu $u+$s"
        fi
        echo "$t" >>"$work/$who.t"
    done
    awk -v a="$st" -v b="$ut" 'BEGIN { print a / b }' >>"$work/ratio.t"
    fresh_target
    read -r t k < <($B run 1 "$Z" extract "$archive" -d "$work/z" -p "$PW" --overwrite always)
    echo "$t" >>"$work/zipvol.t"
done
# Both results are the package, file for file.
fresh_target
read -r t k < <($B run 1 "$work/install.sh" "$work/big")
unzip -P "$PW" -o -q -d "$work/u" "$archive"
diff -r "$work/src-big" "$work/u" >/dev/null || echo "  unzip's tree differs from the package"
diff -rq "$work/src-big" "$work/target" | grep -v "^Only in $work/target: " && echo "  the installed tree differs from the package"
read -r sb sm < <(stats <"$work/setup.t")
read -r ub um < <(stats <"$work/unzip.t")
read -r zb zm < <(stats <"$work/zipvol.t")
read -r rb rm < <(stats <"$work/ratio.t")
read -r _ scm < <(tr ' ' '\n' <<<"$setup_cpu" | grep . | awk -F+ '{ print $1 + $2 }' | stats)
read -r _ ucm < <(tr ' ' '\n' <<<"$unzip_cpu" | grep . | awk -F+ '{ print $1 + $2 }' | stats)
echo "  setup (whole installation): best ${sb} s, median ${sm} s, peak ${setup_kb} KiB; user+system s per round:${setup_cpu}"
echo "  unzip -P -o -q -d:          best ${ub} s, median ${um} s, peak ${unzip_kb} KiB; user+system s per round:${unzip_cpu}"
echo "  zipvol extract (reader):    best ${zb} s, median ${zm} s"
# What does not grow with the package: the program's start, the AutoRun timer's 200 ms and
# the finishing steps, measured with a package of one file.
rm -rf "$work/u" "$work/z"
package tiny 1 1
fresh_target
read -r ft k < <($B run 3 "$work/install.sh" "$work/tiny")
awk -v a="$sb" -v b="$ub" -v rm="$rm" -v z="$zb" -v f="$ft" 'BEGIN {
    printf "  ratio setup/unzip: best against best %.2f, median of the rounds %.2f (goal: at most 0.9)\n", a / b, rm
    printf "  where the time goes: reading, decrypting, decoding and writing the files %.2f s (%.0f%%, zipvol extract);\n", z, 100 * z / a
    printf "    the start, the AutoRun timer and the finishing steps %.2f s (%.0f%%, a package of one file);\n", f, 100 * f / a
    printf "    staging and moving into place %.2f s (%.0f%%, the rest)\n", a - z - f, 100 * (a - z - f) / a
    printf "  without the fixed start, setup/unzip would be %.2f\n", (a - f) / b }'
awk -v a="$scm" -v b="$ucm" 'BEGIN { printf "  processor time (user+system, median): setup %.2f s, unzip %.2f s, ratio %.2f\n", a, b, a / b }'

# perf's samples of one installation, by part of the work.
if command -v perf >/dev/null && fresh_target &&
    perf record -q -o "$work/perf.data" -- "$work/install.sh" "$work/big" >/dev/null 2>&1; then
    perf report -i "$work/perf.data" --no-children --sort dso,symbol --stdio 2>/dev/null | awk '
        /^ +[0-9.]+%/ {
            p = $1 + 0
            if ($0 ~ /\[k\]/) part = "kernel (file writes, renames, page cache)"
            else if ($0 ~ /TZipKeys|Decrypt/) part = "decryption"
            else if ($0 ~ /Inflat|DecodeTable/) part = "inflate"
            else if ($0 ~ /Crc32/) part = "CRC-32"
            else if ($0 ~ /memmove|memcpy/) part = "copying in memory"
            else part = "the rest"
            share[part] += p
        }
        END { printf "  perf, share of the installation:"
              for (k in share) printf " %s %.0f%%;", k, share[k]
              printf "\n" }'
fi

# Peak memory does not grow with the package's bytes: the same number of files with half the
# data; with half the files, the directory held in memory is half as large.
rm -rf "$work/src-big" "$work/src-tiny" "$work/u" "$work/z"
for size in "1000 50" "500 50"; do
    read -r n mb <<<"$size"
    package "p$n-$mb" "$n" "$mb"
    fresh_target
    read -r t k < <($B run 1 "$work/install.sh" "$work/p$n-$mb")
    echo "  setup with $mb MB in $n files: ${t} s, peak ${k} KiB (100 MB in 1000 files: ${setup_kb} KiB)"
    rm -rf "$work/src-p$n-$mb" "$work/p$n-$mb"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
