#!/usr/bin/env bash
# Serve benchmark: requests per second of "inkloom --serve" for a page whose template brings in
# three includes (an SSI file, an SSI virtual and a PHP include), beside a plain style sheet
# served as it is. Uses ApacheBench (ab) with keep-alive connections on 127.0.0.1.
#
#   bench/serve_bench.sh [INKLOOM_BINARY]
#
# INKLOOM_BINARY defaults to build/inkloom in this repository. Environment: REQUESTS (default
# 20000), CONCURRENCY (default 4). Installs apache2-utils with apt-get when ab is missing.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
inkloom=$(realpath -m -- "${1:-$repo/build/inkloom}")
requests=${REQUESTS:-20000}
concurrency=${CONCURRENCY:-4}

say() { printf '%s\n' "$*" >&2; }
die() { say "serve_bench: $*"; exit 1; }

[[ $requests =~ ^[1-9][0-9]*$ ]] || die "REQUESTS must be a positive number, not '$requests'"
[[ $concurrency =~ ^[1-9][0-9]*$ ]] || die "CONCURRENCY must be a positive number, not '$concurrency'"
[[ -x $inkloom ]] || die "$inkloom is missing (try: bash scripts/build build)"

source "$(dirname "${BASH_SOURCE[0]}")/bench_helpers.sh"
command -v ab >/dev/null 2>&1 || install_package apache2-utils

scratch=$(mktemp -d "${TMPDIR:-/tmp}/inkloom-serve-bench.XXXXXX")
server_pid=""
cleanup() {
  [[ -n $server_pid ]] && { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; }
  rm -rf -- "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT

mkdir -p "$scratch/site/template" "$scratch/config"
cat >"$scratch/site/template/index.html" <<'HTML'
<!DOCTYPE html><html><head><title>{title}</title><link rel="stylesheet" href="style.css"></head>
<body><!--#include virtual="/header.inc"--><!--#include file="menu.inc"-->
{content}
<?php include('footer.inc') ?></body></html>
HTML
printf 'body { font-family: sans-serif; }\n%.0s' {1..40} >"$scratch/site/template/style.css"
{
  printf '[header.inc]\n<div class="header">Serve benchmark</div>\n'
  printf '[menu.inc]\n<ul>%s</ul>\n' "$(printf '<li><a href="p%d.html">Page %d</a></li>' 1 1 2 2 3 3 4 4 5 5)"
  printf '[footer.inc]\n<div class="footer">Made with Inkloom</div>\n'
  printf '[page.html]\n$title A page with three includes\n!! Heading\n'
  for i in $(seq 1 20); do printf 'A paragraph of *[plain] text, number %d, with _[some] emphasis.\n\n' "$i"; done
} >"$scratch/site/site.txt"

XDG_CONFIG_HOME=$scratch/config "$inkloom" --serve "$scratch/site/site.txt" >"$scratch/address" 2>"$scratch/serve.log" &
server_pid=$!
address=$(first_line_of "$scratch/address" "$server_pid" "$scratch/serve.log" "inkloom --serve")
[[ $address == http://127.0.0.1:*/ ]] || die "inkloom --serve printed no address"

page=$(curl -fsS "${address}page.html" 2>/dev/null || true)
if [[ -n $page ]] && grep -q '#include\|<?php' <<<"$page"; then die "the page still holds include directives"; fi

rate() {
  ab -q -k -c "$concurrency" -n "$requests" "$1" 2>&1 | awk '/Requests per second/ {print $4} /Failed requests/ && $3 != 0 {print "failed: " $3 > "/dev/stderr"}'
}
say "inkloom --serve at $address; $requests requests, $concurrency at a time, keep-alive"
printf 'page with three includes (%s bytes before expansion): %s requests/s\n' \
  "$(wc -c <"$scratch/site/html/page.html")" "$(rate "${address}page.html")"
printf 'style sheet served as it is:             %s requests/s\n' "$(rate "${address}style.css")"
