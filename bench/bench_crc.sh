#!/usr/bin/env bash
# CRC-32 throughput of the archive reader against zlib's crc32 on the same 16,000-byte
# buffers (the size of the extraction's output buffer), best of 30 rounds of 32 MB each.
set -eu
cd "$(dirname "$0")/.."
build/linux/bench/bench_zip crc
