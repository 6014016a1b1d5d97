# Sourced by the benchmark scripts, which define say and die. install_package NAME installs a
# Debian package with apt-get, updating the package lists once per run; first_line_of waits for
# a server started in the background to print its address.
apt_updated=0
install_package() {
  local package=$1 sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  say "Installing $package with apt-get..."
  export DEBIAN_FRONTEND=noninteractive
  if [[ $apt_updated -eq 0 ]]; then
    "${sudo[@]}" apt-get update -qq >&2 || true
    apt_updated=1
  fi
  "${sudo[@]}" apt-get install -y -qq "$package" >&2
}

# first_line_of FILE PID LOG WHAT: prints the first line of FILE once the process PID has written
# it (waiting up to 10 s); dies with LOG shown when the process ends first.
first_line_of() {
  local file=$1 pid=$2 log=$3 what=$4 line="" i
  for ((i = 0; i < 200; i++)); do
    line=$(head -n 1 "$file" 2>/dev/null || true)
    [[ -n $line ]] && break
    kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; die "$what did not start"; }
    sleep 0.05
  done
  printf '%s\n' "$line"
}
