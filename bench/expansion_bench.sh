#!/usr/bin/env bash
# Expansion benchmark: times "inkloom --build" on projects whose placeholders or appends would
# grow without end or in square time, and prints each wall time and the build's exit code.
#
#   bench/expansion_bench.sh [INKLOOM_BINARY]
#
# The projects: 60 values that each double the one before, then 32 lines that use the last (the
# build stops with its expansion error); one value appended to 20,000 and 160,000 times with
# "$$a y". Scratch files go to a temporary folder that is removed afterwards.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
inkloom=$(realpath -m -- "${1:-$repo/build/inkloom}")
[[ -x $inkloom ]] || { echo "no program at $inkloom (build it first)" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

doubling() {
  echo '$x0 ab'
  for ((i = 1; i < 60; i++)); do echo "\$x$i {&x$((i - 1))}{&x$((i - 1))}"; done
  echo '[index.html]'
  for ((i = 0; i < 32; i++)); do echo '{x59}'; done
}

appending() {
  echo '$a x'
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) print "$$a y" }'
  echo '[index.html]'
  echo 'done'
}

# run NAME FILE: one build, its time and exit code.
run() {
  local start end code=0
  start=$(date +%s.%N)
  QT_QPA_PLATFORM=offscreen "$inkloom" --build "$2" >/dev/null 2>"$scratch/err" || code=$?
  end=$(date +%s.%N)
  printf '%-40s %7.3f s  exit %d  %s\n' "$1" "$(echo "$end - $start" | bc)" "$code" "$(head -c 100 "$scratch/err")"
}

doubling >"$scratch/doubling.txt"
appending 20000 >"$scratch/append20k.txt"
appending 160000 >"$scratch/append160k.txt"
printf 'project sizes: doubling %d bytes, appends %d and %d bytes\n' \
  "$(stat -c %s "$scratch/doubling.txt")" "$(stat -c %s "$scratch/append20k.txt")" "$(stat -c %s "$scratch/append160k.txt")"
run "60 doubling values, 32 uses" "$scratch/doubling.txt"
run '20,000 lines of $$a y' "$scratch/append20k.txt"
run '160,000 lines of $$a y' "$scratch/append160k.txt"
