# Sourced by the benchmark scripts: install_package NAME installs a Debian package with apt-get,
# updating the package lists once per run. Expects the caller's say function.
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
