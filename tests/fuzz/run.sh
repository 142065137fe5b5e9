#!/usr/bin/env bash
# Runs the .bmp decoder's fuzzer for N seconds (default 60) from the committed
# seed corpus; fails on any crash or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/../.."
secs=${1:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r tests/fuzz/corpus/. "$work/" 2>/dev/null || true
build/fuzz/tests/fuzz/fuzz_bmp -max_total_time="$secs" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/crash-" "$work" 2>&1 | tail -n 15
