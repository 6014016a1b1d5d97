#!/usr/bin/env bash
# Upload benchmark: generates a site of 1,000 files of 4 KB each (plus index.html) and uploads
# it over FTP to a local pyftpdlib server on 127.0.0.1, with "inkloom --upload" and with lftp's
# "mirror -R", printing the best wall time of a few full runs of each; then changes one section
# so that exactly one output file differs and times Inkloom's incremental upload of it.
#
#   bench/upload_bench.sh [INKLOOM_BINARY]
#
# INKLOOM_BINARY defaults to build/inkloom in this repository. Environment: RUNS (default 3),
# KEEP=1 (leave the scratch folder).
#
# The project is a plain-text project of 1,000 sections [files/fNNNN.txt] whose text is
# written out as typed, and one [index.html]; it is stored as an .iklproj file that carries
# the FTP settings (server 127.0.0.1, the server's port, remote root "/", passive mode,
# changes only, no user name: the program logs in as "anonymous"). Before each full Inkloom
# run the project file is written afresh (so it holds no record of uploaded files) and the
# server's folder is emptied. The Inkloom figure includes generating the site, which is part
# of "--upload"; lftp sends the folder Inkloom generated. Both talk to the same server.
#
# Needs Debian's time, lftp, python3 and python3-pyftpdlib; they are installed with apt-get
# when missing. All network traffic goes to 127.0.0.1.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
inkloom=$(realpath -m -- "${1:-$repo/build/inkloom}")
runs=${RUNS:-3}
files=1000
file_bytes=4096

say() { printf '%s\n' "$*" >&2; }
die() { say "upload_bench: $*"; exit 1; }

[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number, not '$runs'"
[[ -x $inkloom ]] ||
  die "$inkloom is missing (try: bash scripts/build build -DCMAKE_BUILD_TYPE=Release)"

# --- tools -------------------------------------------------------------------------------------

source "$(dirname "${BASH_SOURCE[0]}")/bench_helpers.sh"

[[ -x /usr/bin/time ]] || install_package time
[[ -x /usr/bin/python3 ]] || install_package python3
/usr/bin/python3 -c 'import pyftpdlib' 2>/dev/null || install_package python3-pyftpdlib
command -v lftp >/dev/null 2>&1 || install_package lftp

# --- scratch folder and server -----------------------------------------------------------------

base=${TMPDIR:-/tmp}
[[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]] && base=/dev/shm
scratch=$(mktemp -d "$base/inkloom-upload-bench.XXXXXX")
server_pid=""
cleanup() {
  if [[ -n $server_pid ]]; then
    exec 3>&- 2>/dev/null || true  # closing its stdin stops the server
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [[ ${KEEP:-0} == 1 ]]; then
    say "Scratch folder kept: $scratch"
  else
    rm -rf -- "$scratch"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

server_root=$scratch/server
project_folder=$scratch/project
project=$project_folder/site.iklproj
output=$project_folder/html
mkdir -p "$server_root" "$project_folder" "$scratch/config"

# The server's stdin is a pipe held open by this script: it ends with the script.
mkfifo "$scratch/server-in"
/usr/bin/python3 "$repo/bench/upload_server.py" "$server_root" \
  <"$scratch/server-in" >"$scratch/server-port" 2>"$scratch/server.log" &
server_pid=$!
exec 3>"$scratch/server-in"
port=$(first_line_of "$scratch/server-port" "$server_pid" "$scratch/server.log" "the FTP server")
[[ $port =~ ^[0-9]+$ ]] || { cat "$scratch/server.log" >&2; die "the FTP server printed no port"; }
say "FTP server (pyftpdlib $(/usr/bin/python3 -c 'import pyftpdlib; print(pyftpdlib.__ver__)')) on 127.0.0.1:$port, serving $server_root"

# --- the project -------------------------------------------------------------------------------

# Each file's text holds one marker word, "edit00", that the one-file change below rewrites.
/usr/bin/python3 - "$scratch/project.txt" "$files" "$file_bytes" <<'EOF'
import sys

path, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
words = ["theme", "page", "site", "section", "editor", "folder", "upload", "preview",
         "simple", "static", "template", "menu", "list", "table", "image", "link",
         "text", "write", "publish", "small", "quick", "plain", "web", "project"]
state = 12345

def word():
    global state
    state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
    return words[(state >> 8) % len(words)]

def line(width):
    # A line of exactly width characters plus its line feed.
    text = word()
    while len(text) < width:
        text += " " + word()
    return text[:width].rstrip().ljust(width, "x") + "\n"

out = ["; Upload benchmark project: %d raw text files and one page.\n\n" % count,
       "[index.html]\n= Upload benchmark\n\n%d text files of %d bytes in files/.\n\n"
       % (count, size)]
for n in range(1, count + 1):
    body = "file %04d edit00\n" % n
    while len(body) < size:
        body += line(min(63, size - len(body) - 1))
    out.append("[files/f%04d.txt]\n%s\n" % (n, body))
with open(path, "w", encoding="utf-8", newline="\n") as f:
    f.write("".join(out))
EOF

# write_project: the project file afresh, with the FTP settings and no record of uploads.
write_project() {
  /usr/bin/python3 - "$scratch/project.txt" "$project" "$port" <<'EOF'
import sys
from xml.sax.saxutils import escape, quoteattr

text = open(sys.argv[1], encoding="utf-8").read()
with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
    f.write('<?xml version="1.0" encoding="utf-8"?>\n<iklproj><content>%s</content>'
            '<Settings FTPServer="127.0.0.1" FTPPort=%s FTPRemoteRoot="/" FTPPassiveMode="1" '
            'UploadChangesOnly="1"/></iklproj>\n' % (escape(text), quoteattr(sys.argv[3])))
EOF
}

empty_server() { find "$server_root" -mindepth 1 -delete; }

# --- timing ------------------------------------------------------------------------------------

# timed NAME COMMAND...: runs COMMAND once under /usr/bin/time; sets wall and kb.
timed() {
  local name=$1
  shift
  if ! /usr/bin/time -o "$scratch/time.txt" -f "%e s %M KB" "$@" \
      >"$scratch/run.out" 2>"$scratch/run.err"; then
    cat "$scratch/run.out" "$scratch/run.err" >&2
    die "$name failed"
  fi
  read -r wall _ kb _ <"$scratch/time.txt"
}

# keep_best: records wall and kb as the best so far when wall is lower.
keep_best() {
  if [[ -z $best_wall ]] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
    best_wall=$wall best_kb=$kb
  fi
}

inkloom_upload() {
  timed "inkloom --upload" env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" \
    "$inkloom" --upload "$project"
  sent=$(grep -c '^Upload file: ' "$scratch/run.err" || true)
}

# check_server FOLDER: the server holds every generated file, each the same as the local one.
check_server() {
  local folder=$1 count
  count=$(find "$folder/files" -maxdepth 1 -type f -name 'f*.txt' 2>/dev/null | wc -l)
  [[ $count -eq $files ]] ||
    die "the server received $count of the $files files in $folder/files instead of all of them"
  [[ -f $folder/index.html ]] || die "the server did not receive index.html in $folder"
  diff -rq "$output" "$folder" >&2 || die "the files on the server differ from the generated ones"
}

say "Inkloom full upload ($inkloom --upload, best of $runs):"
best_wall=""
for ((run = 1; run <= runs; run++)); do
  write_project
  rm -rf -- "$output"
  empty_server
  sync
  inkloom_upload
  say "  run $run: $wall s, peak $kb KB, $sent files sent"
  check_server "$server_root"
  keep_best
done
ink_wall=$best_wall ink_kb=$best_kb

generated=$(find "$output" -type f | wc -l)
generated_bytes=$(find "$output" -type f -printf '%s\n' | awk '{ total += $1 } END { print total }')
say "Generated: $generated files, $generated_bytes bytes in $output"

lftp_version=$(lftp --version | head -n 1 | sed -n 's/.*Version \([^ ]*\).*/\1/p')
say "lftp mirror -R (lftp $lftp_version, best of $runs):"
best_wall=""
for ((run = 1; run <= runs; run++)); do
  saved=$scratch/server-saved
  # Inkloom's last upload stays aside, so its record and the server agree for the run below.
  [[ $run -eq 1 ]] && { rm -rf -- "$saved"; cp -a "$server_root" "$saved"; }
  empty_server
  sync
  timed "lftp" lftp -e "set ftp:passive-mode on; set net:max-retries 2; set net:timeout 20; mirror -R $output /site; quit" \
    -u anonymous, "ftp://127.0.0.1:$port"
  say "  run $run: $wall s, peak $kb KB"
  check_server "$server_root/site"
  keep_best
done
lftp_wall=$best_wall lftp_kb=$best_kb
# Back to the state of Inkloom's last full upload.
empty_server
cp -a "$saved/." "$server_root/"
rm -rf -- "$saved"

# For reference: generating the site alone, which every "--upload" run does first.
say "Inkloom build only ($inkloom --build, best of $runs):"
best_wall=""
for ((run = 1; run <= runs; run++)); do
  rm -rf -- "$output"
  sync
  timed "inkloom --build" env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" \
    "$inkloom" --build "$project"
  say "  run $run: $wall s, peak $kb KB"
  keep_best
done
build_wall=$best_wall

say "Inkloom one changed file (best of $runs, a different edit of files/f0500.txt each run):"
best_wall=""
for ((run = 1; run <= runs; run++)); do
  old=$(printf 'edit%02d' $((run - 1)))
  new=$(printf 'edit%02d' "$run")
  # The marker is in every file's text: change only the one of f0500.
  grep -q "file 0500 $old" "$project" || die "the project does not hold the marker of f0500"
  sed -i "s/file 0500 $old/file 0500 $new/" "$project"
  sync
  inkloom_upload
  say "  run $run: $wall s, peak $kb KB, $sent file(s) sent"
  [[ $sent -eq 1 ]] || { cat "$scratch/run.err" >&2; die "the incremental run sent $sent files instead of 1"; }
  grep -q "file 0500 $new" "$server_root/files/f0500.txt" ||
    die "the server's files/f0500.txt does not hold the change"
  check_server "$server_root"
  keep_best
done
one_wall=$best_wall

# --- report ------------------------------------------------------------------------------------

awk -v n="$files" -v gen="$generated" -v bytes="$generated_bytes" -v runs="$runs" \
  -v iw="$ink_wall" -v ik="$ink_kb" -v lw="$lftp_wall" -v lk="$lftp_kb" -v ow="$one_wall" -v bw="$build_wall" '
BEGIN {
  printf "Files: %d generated (%d text files + index.html), %d bytes; best of %d runs each\n", gen, n, bytes, runs
  printf "Inkloom full upload: %.2f s (peak %d KB)\n", iw, ik
  printf "lftp mirror -R: %.2f s (peak %d KB)\n", lw, lk
  printf "Ratio (inkloom/lftp): %s\n", (lw > 0 ? sprintf("%.2f", iw / lw) : "n/a (too fast to time)")
  printf "Inkloom one changed file: %.2f s (%s of the full run)\n", ow,
         (iw > 0 ? sprintf("%.0f%%", 100 * ow / iw) : "n/a")
  printf "Inkloom build only, no upload (part of both Inkloom figures): %.2f s\n", bw
}'
