# Sourced by ./demo and ./check: installs the Debian packages that are
# missing (asking for sudo when not root), then configures and builds.
#   starglow_install PACKAGE...   installs those not yet installed
#   starglow_configure DIR [CMAKE ARGS...]
#   starglow_build DIR [CMAKE ARGS...]      configures, then builds everything

starglow_build_packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libmpg123-dev libasound2-dev libkissfft-dev libmp3lame-dev
  libcli11-dev libpng-dev libgif-dev
)

# The portable core's check: clang for WebAssembly with WASI's C library
# and libc++ (compiled only, never linked).
starglow_core_check_packages=(clang wasi-libc libc++-14-dev-wasm32)

# The page: Debian's Emscripten (its tools run on Node and Python), and
# Chromium to test the page in; kissfft's source comes with the build.
starglow_web_packages=(emscripten nodejs python3 dpkg-dev chromium)

# The Windows target: MinGW-w64 with posix threads, dpkg-dev for the
# libraries' Debian sources (dpkg-source); Wine and a sound server for its
# tests.
starglow_windows_packages=(g++-mingw-w64-x86-64-posix dpkg-dev wine wine64 pulseaudio)

# Independent clients of the command set that lcdemu's peer tests run on its
# pty (LCDd with lcdproc, lcd4linux), and socat for a pair of ptys.
starglow_peer_packages=(lcdproc lcd4linux socat)

starglow_install() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "These Debian packages are missing and sudo is not available: ${missing[*]}" >&2
      echo "Install them as root, then run this again." >&2
      return 1
    fi
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

starglow_configure() {
  local dir=$1
  shift
  cmake -S "$starglow_root" -B "$starglow_root/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

starglow_build() {
  starglow_configure "$@"
  cmake --build "$starglow_root/$1" -j "$(nproc)"
}

# The web target in build-web (site/ and starglow.html). Emscripten's tools
# need Debian's Node modules when another Node comes first on the PATH.
starglow_build_web() {
  export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
  emcmake cmake -S "$starglow_root" -B "$starglow_root/build-web" -DCMAKE_BUILD_TYPE=Release \
    -DSTARGLOW_WERROR=ON "$@" >/dev/null
  cmake --build "$starglow_root/build-web" -j "$(nproc)"
}
