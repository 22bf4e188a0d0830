#!/usr/bin/env bash
# Installs the Debian packages SoftShow needs to build, test and run, when any is missing.
# Idempotent: with everything present it prints nothing and touches nothing.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  libsdl2-dev                        # window, keys, audio
  libmpg123-dev libfftw3-dev         # music decoding, spectrum
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev  # video export
  libpng-dev libturbojpeg0-dev       # picture decoding made for hostile files (PNG, JPEG)
  libstb-dev                         # BMP and TGA decoding, PNG output
  libmp3lame-dev fonts-dejavu-core   # asset generator: music encoding, type
  libebur128-dev                     # asset generator and tests: loudness (EBU R 128)
  libhwy-dev                         # SIMD kernels chosen at run time (Google Highway)
  libtomlplusplus-dev                # show files (TOML)
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev              # fuzz targets: libFuzzer with ASan + UBSan
  xvfb xauth xdotool x11-utils x11-apps xfonts-base  # real-window tests: virtual display, keys, screenshots (xwd), box fonts
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have no package lists yet; refresh them once, quietly.
"${sudo[@]}" apt-get update -qq >/dev/null
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
