#!/usr/bin/env bash
# Upload benchmark: generates a site of 1,000 files of 4 KB each (plus index.html) and uploads
# it to local servers on 127.0.0.1, over FTP and FTPS (pyftpdlib, and its TLS handler with a
# certificate made here) and SFTP (OpenSSH's sshd, run here on a free port with a host key and
# configuration of its own, key log-in), with "inkloom --upload" and with lftp's "mirror -R",
# printing the best wall time of a few full runs of each; then changes one section so that
# exactly one output file differs and times Inkloom's incremental upload of it over FTP.
#
#   bench/upload_bench.sh [INKLOOM_BINARY]
#
# INKLOOM_BINARY defaults to build/inkloom in this repository. Environment: RUNS (default 3),
# KEEP=1 (leave the scratch folder).
#
# The project is a plain-text project of 1,000 sections [files/fNNNN.txt] whose text is
# written out as typed, and one [index.html]; it is stored as an .iklproj file that carries
# the upload settings (server 127.0.0.1, the server's port and protocol, passive mode, changes
# only; over FTP and FTPS the remote root "/" and no user name, so the program logs in as
# "anonymous"). Before each full Inkloom run the project file is written afresh (so it holds no
# record of uploaded files) and the server's folder is emptied. The Inkloom figure includes generating the site, which is part
# of "--upload"; lftp sends the folder Inkloom generated. Both talk to the same server. FTPS
# projects trust the server's certificate by its fingerprint (lftp: ssl:verify-certificate
# off); SFTP logs in as the current user with a key made here, the server's host key known
# (Inkloom runs with HOME in the scratch folder; lftp's ssh gets the same key and known_hosts).
#
# Needs Debian's time, lftp, openssl, openssh-server, python3, python3-pyftpdlib and
# python3-openssl; they are installed with apt-get when missing. All network traffic goes to
# 127.0.0.1.
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
command -v openssl >/dev/null 2>&1 || install_package openssl
[[ -x /usr/sbin/sshd ]] || install_package openssh-server
/usr/bin/python3 -c 'import OpenSSL' 2>/dev/null || install_package python3-openssl

# --- scratch folder and servers ----------------------------------------------------------------

base=${TMPDIR:-/tmp}
[[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]] && base=/dev/shm
scratch=$(mktemp -d "$base/inkloom-upload-bench.XXXXXX")
server_pids=()
cleanup() {
  exec 3>&- 4>&- 2>/dev/null || true  # closing their stdin stops the FTP servers
  local pid
  for pid in "${server_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [[ ${KEEP:-0} == 1 ]]; then
    say "Scratch folder kept: $scratch"
  else
    rm -rf -- "$scratch"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

project_folder=$scratch/project
project=$project_folder/site.iklproj
output=$project_folder/html
keys=$scratch/keys
home=$scratch/home  # Inkloom's HOME in the SFTP runs, with the key and known_hosts
mkdir -p "$project_folder" "$scratch/config" "$keys" "$home/.ssh"

# start_ftp NAME [--tls PEM]: a pyftpdlib server serving $scratch/NAME, whose stdin is a pipe
# this script holds open (it ends with the script); sets port.
start_ftp() {
  local name=$1 fd
  shift
  mkdir -p "$scratch/$name"
  mkfifo "$scratch/$name-in"
  /usr/bin/python3 "$repo/bench/upload_server.py" "$scratch/$name" "$@" \
    <"$scratch/$name-in" >"$scratch/$name-port" 2>"$scratch/$name.log" &
  server_pids+=($!)
  exec {fd}>"$scratch/$name-in"
  port=$(first_line_of "$scratch/$name-port" "$!" "$scratch/$name.log" "the $name server")
  [[ $port =~ ^[0-9]+$ ]] || { cat "$scratch/$name.log" >&2; die "the $name server printed no port"; }
}

# The FTPS server's certificate, trusted by its fingerprint.
openssl req -x509 -new -nodes -newkey ec -pkeyopt ec_paramgen_curve:P-256 -days 2 \
  -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 \
  -keyout "$keys/tls.key" -out "$keys/tls.crt" 2>/dev/null
cat "$keys/tls.key" "$keys/tls.crt" >"$keys/tls.pem"
fingerprint=$(openssl x509 -noout -fingerprint -sha256 -in "$keys/tls.crt" | sed 's/.*=//')

start_ftp ftp
ftp_port=$port
start_ftp ftpslow --delay 0.02  # every reply 20 ms late, as over a real line
ftpslow_port=$port
start_ftp ftps --tls "$keys/tls.pem"
ftps_port=$port
say "FTP and FTPS servers (pyftpdlib $(/usr/bin/python3 -c 'import pyftpdlib; print(pyftpdlib.__ver__)')) on 127.0.0.1:$ftp_port and :$ftps_port"

# sshd on a free port with a host key and configuration of its own, the user's key authorized,
# no PAM; run by root it wants its privilege separation folder.
sftp_user=$(id -un)
mkdir -p "$scratch/sftp"
[[ $(id -u) -ne 0 ]] || mkdir -p /run/sshd
ssh-keygen -q -t ed25519 -N '' -f "$keys/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$home/.ssh/id_ed25519"
cp "$home/.ssh/id_ed25519.pub" "$keys/authorized_keys"
sftp_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '%s\n' "Port $sftp_port" "ListenAddress 127.0.0.1" "HostKey $keys/host_key" \
  "PidFile $keys/sshd.pid" "AuthorizedKeysFile $keys/authorized_keys" "StrictModes no" \
  "UsePAM no" "Subsystem sftp internal-sftp" >"$keys/sshd_config"
/usr/sbin/sshd -D -f "$keys/sshd_config" -E "$scratch/sshd.log" &
server_pids+=($!)
echo "[127.0.0.1]:$sftp_port $(cut -d' ' -f1,2 "$keys/host_key.pub")" >"$home/.ssh/known_hosts"
for ((i = 0; i < 200; i++)); do
  (exec 5<>"/dev/tcp/127.0.0.1/$sftp_port") 2>/dev/null && break
  kill -0 "${server_pids[-1]}" 2>/dev/null || { cat "$scratch/sshd.log" >&2; die "sshd did not start"; }
  sleep 0.05
done
say "SFTP server ($(/usr/sbin/sshd -V 2>&1 | head -n 1)) on 127.0.0.1:$sftp_port"

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

# write_project PROTOCOL: the project file afresh, with the settings of that protocol's server
# and no record of uploads. The SFTP user name comes from the environment (inkloom_upload).
write_project() {
  local settings=(FTPServer=127.0.0.1 FTPPassiveMode=1 UploadChangesOnly=1)
  case $1 in
    ftp) settings+=("FTPPort=$ftp_port" FTPRemoteRoot=/) ;;
    ftpslow) settings+=("FTPPort=$ftpslow_port" FTPRemoteRoot=/) ;;
    ftps) settings+=("FTPPort=$ftps_port" FTPRemoteRoot=/ Protocol=ftps "TrustedCertificate=$fingerprint") ;;
    sftp) settings+=("FTPPort=$sftp_port" "FTPRemoteRoot=$scratch/sftp" Protocol=sftp) ;;
  esac
  /usr/bin/python3 - "$scratch/project.txt" "$project" "${settings[@]}" <<'EOF'
import sys
from xml.sax.saxutils import escape, quoteattr

text = open(sys.argv[1], encoding="utf-8").read()
pairs = (argument.split("=", 1) for argument in sys.argv[3:])
attributes = " ".join("%s=%s" % (name, quoteattr(value)) for name, value in pairs)
with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
    f.write('<?xml version="1.0" encoding="utf-8"?>\n<iklproj><content>%s</content>'
            '<Settings %s/></iklproj>\n' % (escape(text), attributes))
EOF
}

empty_server() { find "$scratch/$1" -mindepth 1 -delete; }

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

# inkloom_upload PROTOCOL: one "inkloom --upload"; sets sent. SFTP logs in with the key in the
# scratch HOME, as the current user (no agent).
inkloom_upload() {
  local environment=(QT_QPA_PLATFORM=offscreen "XDG_CONFIG_HOME=$scratch/config")
  [[ $1 != sftp ]] ||
    environment+=("HOME=$home" "INKLOOM_FTP_USER=$sftp_user" INKLOOM_FTP_PASSWORD=)
  timed "inkloom --upload over $1" env -u SSH_AUTH_SOCK "${environment[@]}" "$inkloom" \
    --upload "$project"
  sent=$(grep -c '^Upload file: ' "$scratch/run.err" || true)
}

# lftp_run PROTOCOL: one "lftp mirror -R" of the output folder into the server's folder "site".
lftp_run() {
  local settings="set net:max-retries 2; set net:timeout 20" url
  case $1 in
    ftp) url=ftp://127.0.0.1:$ftp_port settings+="; set ftp:passive-mode on" ;;
    ftpslow) url=ftp://127.0.0.1:$ftpslow_port settings+="; set ftp:passive-mode on" ;;
    ftps)
      url=ftp://127.0.0.1:$ftps_port
      settings+="; set ftp:passive-mode on; set ftp:ssl-force true; set ftp:ssl-protect-data true"
      settings+="; set ssl:verify-certificate no" ;;
    sftp)
      url=sftp://127.0.0.1:$sftp_port
      settings+="; set sftp:connect-program 'ssh -a -x -F /dev/null -o BatchMode=yes"
      settings+=" -i $home/.ssh/id_ed25519 -o UserKnownHostsFile=$home/.ssh/known_hosts'" ;;
  esac
  local target=/site user=anonymous
  [[ $1 != sftp ]] || target=$scratch/sftp/site user=$sftp_user
  timed "lftp over $1" lftp -e "$settings; mirror -R $output $target; quit" -u "$user," "$url"
}

# check_server FOLDER: the server holds every generated file, each the same as the local one.
check_server() {
  local folder=$1 count
  count=$(find "$folder/files" -maxdepth 1 -type f -name 'f*.txt' 2>/dev/null | wc -l)
  [[ $count -eq $files ]] ||
    die "the server received $count of the $files files in $folder/files instead of all of them"
  [[ -f $folder/index.html ]] || die "the server did not receive index.html in $folder"
  diff -rq --exclude=site "$output" "$folder" >&2 ||
    die "the files on the server differ from the generated ones"
}

# full_uploads PROTOCOL: the best of a few full Inkloom uploads to an empty server; sets
# ink_wall and ink_kb.
full_uploads() {
  say "Inkloom full upload over $1 ($inkloom --upload, best of $runs):"
  best_wall=""
  for ((run = 1; run <= runs; run++)); do
    write_project "$1"
    rm -rf -- "$output"
    empty_server "$1"
    sync
    inkloom_upload "$1"
    say "  run $run: $wall s, peak $kb KB, $sent files sent"
    check_server "$scratch/$1"
    keep_best
  done
  ink_wall=$best_wall ink_kb=$best_kb
}

# lftp_mirrors PROTOCOL: the best of a few lftp mirrors of the same folder into "site" on the
# same server (Inkloom's upload beside it stays as it is); sets lftp_wall and lftp_kb.
lftp_mirrors() {
  say "lftp mirror -R over $1 (lftp $lftp_version, best of $runs):"
  best_wall=""
  for ((run = 1; run <= runs; run++)); do
    rm -rf -- "$scratch/$1/site"
    sync
    lftp_run "$1"
    say "  run $run: $wall s, peak $kb KB"
    check_server "$scratch/$1/site"
    keep_best
  done
  lftp_wall=$best_wall lftp_kb=$best_kb
}

lftp_version=$(lftp --version | head -n 1 | sed -n 's/.*Version \([^ ]*\).*/\1/p')
# FTP last: the one-changed-file runs below start from its full upload and record.
figures=()
for protocol in ftps sftp ftp; do
  full_uploads "$protocol"
  lftp_mirrors "$protocol"
  figures+=("$protocol $ink_wall $ink_kb $lftp_wall $lftp_kb")
done

generated=$(find "$output" -type f | wc -l)
generated_bytes=$(find "$output" -type f -printf '%s\n' | awk '{ total += $1 } END { print total }')
say "Generated: $generated files, $generated_bytes bytes in $output"

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

say "Inkloom one changed file over ftp (best of $runs, a different edit of files/f0500.txt each run):"
best_wall=""
for ((run = 1; run <= runs; run++)); do
  old=$(printf 'edit%02d' $((run - 1)))
  new=$(printf 'edit%02d' "$run")
  # The marker is in every file's text: change only the one of f0500.
  grep -q "file 0500 $old" "$project" || die "the project does not hold the marker of f0500"
  sed -i "s/file 0500 $old/file 0500 $new/" "$project"
  sync
  inkloom_upload ftp
  say "  run $run: $wall s, peak $kb KB, $sent file(s) sent"
  [[ $sent -eq 1 ]] || { cat "$scratch/run.err" >&2; die "the incremental run sent $sent files instead of 1"; }
  grep -q "file 0500 $new" "$scratch/ftp/files/f0500.txt" ||
    die "the server's files/f0500.txt does not hold the change"
  check_server "$scratch/ftp"
  keep_best
done
one_wall=$best_wall

# --- over a slow line -----------------------------------------------------------------------------

# The same full runs and one changed file to the server whose replies come 20 ms late: the
# figures of a real line, where round trips, not bytes, take the time. One run each (slow).
slow_runs=$runs
runs=1
full_uploads ftpslow
lftp_mirrors ftpslow
slow_figures="$ink_wall $lftp_wall"
say "Inkloom one changed file over the slow line:"
sed -i "s/file 0500 edit00/file 0500 slow/" "$project"  # the project as the full run left it
inkloom_upload ftpslow
say "  $wall s, $sent file(s) sent"
[[ $sent -eq 1 ]] || { cat "$scratch/run.err" >&2; die "the incremental run sent $sent files instead of 1"; }
slow_one=$wall
runs=$slow_runs

# --- report ------------------------------------------------------------------------------------

printf '%s\n' "${figures[@]}" | awk -v n="$files" -v gen="$generated" -v bytes="$generated_bytes" \
  -v runs="$runs" -v ow="$one_wall" -v bw="$build_wall" '
BEGIN {
  printf "Files: %d generated (%d text files + index.html), %d bytes; best of %d runs each\n", gen, n, bytes, runs
  printf "%-9s %-28s %-28s %s\n", "protocol", "Inkloom full upload", "lftp mirror -R", "ratio (inkloom/lftp)"
}
{
  ratio = $4 > 0 ? $2 / $4 : 0
  printf "%-9s %-28s %-28s %s\n", $1, sprintf("%.2f s (peak %d KB)", $2, $3),
         sprintf("%.2f s (peak %d KB)", $4, $5), ($4 > 0 ? sprintf("%.2f", ratio) : "n/a")
  if ($1 != "ftp") verdict = verdict sprintf("%s %s, ", $1, (ratio <= 1.3 ? "met" : "missed"))
  if ($1 == "ftp") iw = $2
}
END {
  printf "Target, within 1.3 times lftp over FTPS and SFTP: %s\n", substr(verdict, 1, length(verdict) - 2)
  printf "Inkloom one changed file over ftp: %.2f s (%s of the full run)\n", ow,
         (iw > 0 ? sprintf("%.0f%%", 100 * ow / iw) : "n/a")
  printf "Inkloom build only, no upload (part of every Inkloom figure): %.2f s\n", bw
}'
read -r slow_ink slow_lftp <<<"$slow_figures"
awk -v i="$slow_ink" -v l="$slow_lftp" -v o="$slow_one" 'BEGIN {
  printf "Over a line with 20 ms replies: Inkloom %.2f s, lftp %.2f s, ratio %.2f (target 1.2: %s)\n", i, l, i / l, (i / l <= 1.2 ? "met" : "missed")
  printf "One changed file over that line: %.2f s, %.1f%% of the full run (target 5%%: %s)\n", o, 100 * o / i, (o / i <= 0.05 ? "met" : "missed")
}'
