#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev googletest libbenchmark-dev   # tests (and GoogleTest sources for the 32-bit and sanitizer builds), benchmarks
  libsndfile1-dev                    # the command-line host reads and writes sound files
  libmysofa-dev libkissfft-dev       # its binaural render: head-related responses (SOFA) and FFT convolution
  libx11-dev libcairo2-dev           # the editor's toolkit
  xvfb xdotool valgrind              # editor tests in a real X server, leak check
  netcdf-bin                         # ncgen: the binaural tests write small SOFA files
  g++-multilib                       # the 32-bit build
  clang libclang-rt-14-dev           # libFuzzer and the sanitizers
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
