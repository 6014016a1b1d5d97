#!/usr/bin/env bash
# Site build benchmark: writes a synthetic site (10,000 pages of about 2 KB of markup by
# default) into a scratch folder and builds it with Inkloom and with Hugo, printing the best
# wall time of a few runs and the peak resident memory of each.
#
#   bench/site_build.sh [INKLOOM_BINARY] [PAGES]
#
# INKLOOM_BINARY defaults to build/inkloom in this repository; when it is missing it is built
# with "cmake --build DIR --target inkloom" in its folder. Environment: RUNS (default 3),
# SCRATCH (a folder to use instead of a new temporary one), KEEP=1 (leave the scratch folder).
#
# The scratch folder is made in /dev/shm (memory) unless SCRATCH or TMPDIR names another
# place: on a disk, writing 2 x 10,000 files makes the figures depend mostly on the disk and on
# whatever else is writing to it. SCRATCH=/some/disk/folder measures that case.
#
# Inkloom builds one project text file whose sections are the pages, with a theme folder
# "template" beside it; Hugo builds the same pages written as Markdown with a one-file layout,
# a shortcode for the macro, and no taxonomies, feeds, sitemap, robots.txt, 404 or list pages,
# as Inkloom writes none of these. Both work on all cores (Inkloom reads the project on one
# thread and converts and writes pages on one worker thread per processor). The CPU time of
# each is printed too, and the number of processors.
#
# Needs Debian's time, hugo and python3; they are installed with apt-get when missing.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
inkloom=$(realpath -m -- "${1:-$repo/build/inkloom}")
pages=${2:-10000}
runs=${RUNS:-3}

say() { printf '%s\n' "$*" >&2; }
die() { say "site_build: $*"; exit 1; }

[[ $pages =~ ^[1-9][0-9]*$ ]] || die "PAGES must be a positive number, not '$pages'"
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number, not '$runs'"

# --- tools -------------------------------------------------------------------------------------

source "$(dirname "${BASH_SOURCE[0]}")/bench_helpers.sh"

[[ -x /usr/bin/time ]] || install_package time
[[ -x /usr/bin/python3 ]] || install_package python3
command -v hugo >/dev/null 2>&1 || install_package hugo

if [[ ! -x $inkloom ]]; then
  build_dir=$(dirname "$inkloom")
  [[ -f $build_dir/CMakeCache.txt ]] ||
    die "$inkloom is missing and $build_dir is not a configured build folder (try: bash scripts/build build -DCMAKE_BUILD_TYPE=Release)"
  say "Building $inkloom..."
  cmake --build "$build_dir" --target inkloom >&2
  [[ -x $inkloom ]] || die "the build did not make $inkloom"
fi

# --- the site ----------------------------------------------------------------------------------

if [[ -n ${SCRATCH:-} ]]; then
  scratch=$(realpath -m -- "$SCRATCH")
  mkdir -p "$scratch"
else
  base=${TMPDIR:-/tmp}
  [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]] && base=/dev/shm
  scratch=$(mktemp -d "$base/inkloom-site-bench.XXXXXX")
fi
if [[ ${KEEP:-0} != 1 ]]; then
  if [[ -n ${SCRATCH:-} ]]; then  # a folder of the caller's: only what this script made goes
    trap 'rm -rf -- "$scratch/site" "$scratch/hugo-out" "$scratch/hugo-cache" "$scratch/time.txt" "$scratch/run.log"' EXIT
  else
    trap 'rm -rf -- "$scratch"' EXIT
  fi
fi

rm -rf -- "$scratch/site"
say "Writing a site of $pages pages into $scratch/site ($(stat -f -c %T "$scratch"))..."
/usr/bin/python3 "$repo/bench/make_site.py" "$scratch/site" "$pages"

project=$scratch/site/inkloom/site.txt
ink_out=$scratch/site/inkloom/html
hugo_src=$scratch/site/hugo
hugo_out=$scratch/hugo-out
project_bytes=$(stat -c %s "$project")

# --- timing ------------------------------------------------------------------------------------

# measure NAME OUTPUT_FOLDER COMMAND...: runs COMMAND $runs times, each into an empty output
# folder, and sets best_wall, best_kb, best_user, best_sys from the fastest run.
measure() {
  local name=$1 output=$2
  shift 2
  best_wall=""
  local run wall kb user sys
  for ((run = 1; run <= runs; run++)); do
    rm -rf -- "$output"
    sync  # no writes of an earlier run are still pending while this one is timed
    if ! /usr/bin/time -o "$scratch/time.txt" -f "%e s %M KB %U %S" "$@" >"$scratch/run.log" 2>&1; then
      cat "$scratch/run.log" >&2
      die "$name failed"
    fi
    read -r wall _ kb _ user sys <"$scratch/time.txt"
    say "  $name run $run: $wall s, peak $kb KB (CPU $user s user, $sys s system)"
    if [[ -z $best_wall ]] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall=$wall best_kb=$kb best_user=$user best_sys=$sys
    fi
  done
}

# check_output NAME FOLDER: the pages and the theme's style sheet and images are all there.
check_output() {
  local name=$1 folder=$2 count
  count=$(find "$folder" -maxdepth 1 -name 'page*.html' | wc -l)
  [[ $count -eq $pages ]] || die "$name wrote $count pages instead of $pages into $folder"
  for file in css/site.css img/a.png img/b.png; do
    [[ -f $folder/$file ]] || die "$name did not copy $file into $folder"
  done
}

say "Inkloom ($inkloom --build):"
measure Inkloom "$ink_out" env QT_QPA_PLATFORM=offscreen "$inkloom" --build "$project"
check_output Inkloom "$ink_out"
ink_wall=$best_wall ink_kb=$best_kb ink_user=$best_user ink_sys=$best_sys

say "Hugo ($(hugo version | cut -d' ' -f2)):"
# The cache folder goes into the scratch folder too; the site uses no modules or remote
# resources, so Hugo never reaches the network.
measure Hugo "$hugo_out" env HUGO_CACHEDIR="$scratch/hugo-cache" \
  hugo --quiet -s "$hugo_src" -d "$hugo_out"
check_output Hugo "$hugo_out"
hugo_wall=$best_wall hugo_kb=$best_kb hugo_user=$best_user hugo_sys=$best_sys

# --- report ------------------------------------------------------------------------------------

awk -v pages="$pages" -v runs="$runs" -v fs="$(stat -f -c %T "$scratch")" -v bytes="$project_bytes" -v cores="$(nproc)" \
  -v iw="$ink_wall" -v ik="$ink_kb" -v iu="$ink_user" -v is="$ink_sys" \
  -v hw="$hugo_wall" -v hk="$hugo_kb" -v hu="$hugo_user" -v hs="$hugo_sys" '
function ratio(a, b) { return b > 0 ? sprintf("%.1fx", a / b) : "n/a (too fast to time)" }
BEGIN {
  printf "Pages: %d (best of %d runs each, in %s, %d processors)\n", pages, runs, fs, cores
  printf "Project size: %d bytes (%.1f MB)\n", bytes, bytes / 1e6
  printf "Inkloom: %.2f s, peak %d KB (CPU %.2f s user + %.2f s system)\n", iw, ik, iu, is
  printf "Hugo: %.2f s, peak %d KB (CPU %.2f s user + %.2f s system)\n", hw, hk, hu, hs
  printf "Speed ratio (hugo/inkloom): %s\n", ratio(hw, iw)
  printf "CPU time ratio (hugo/inkloom): %s\n", ratio(hu + hs, iu + is)
  printf "Memory ratio (hugo/inkloom): %s\n", ratio(hk, ik)
  printf "Inkloom peak memory / project size: %.1fx\n", ik * 1024 / bytes
  printf "Hugo peak memory / project size: %.1fx\n", hk * 1024 / bytes
}'
