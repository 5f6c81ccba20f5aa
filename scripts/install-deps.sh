#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing. On an
# amd64 machine it also adds the i386 architecture for the 32-bit plug-in's
# editor (X11 and cairo), unless VELMORA_M32=off; those are left out, with a
# warning, when installing them would remove anything. Other programs may
# hold the package lock: every apt-get call waits for it.
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
  lv2-dev                            # the LV2 plug-ins: LV2's headers, and lv2_validate for their Turtle
  lilv-utils sordi serdi jalv jackd2 liblilv-dev   # LV2's own tools and hosts, for the LV2 tests
  g++-mingw-w64-x86-64-posix         # the Windows plug-ins, cross-compiled
  g++-mingw-w64-i686-posix           # ... and their 32-bit pair (built, not run)
  wine wine64 fonts-wine             # their tests under wine: 64-bit only (see below)
)
# Never wine32: with it installed, /usr/bin/wine picks the 32-bit loader,
# which a kernel without 32-bit support refuses, and every wine call fails.
i386_packages=(libx11-dev:i386 libcairo2-dev:i386)   # the 32-bit editor

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

want_i386=no
if [ "$(dpkg --print-architecture)" = amd64 ] && [ "${VELMORA_M32:-on}" != off ]; then
  for p in "${i386_packages[@]}"; do
    installed "$p" || want_i386=yes
  done
fi

[ ${#missing[@]} -eq 0 ] && [ $want_i386 = no ] && exit 0

if [ $want_i386 = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture (for the 32-bit plug-in's editor)"
  $sudo dpkg --add-architecture i386
fi
"${apt[@]}" update -qq

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The i386 packages share files with their amd64 twins, which must then be of
# the same version: apt may upgrade amd64 packages for them, but if it would
# remove any, the 32-bit build goes without its editor instead.
if [ $want_i386 = yes ]; then
  if "${apt[@]}" -s install --no-install-recommends "${i386_packages[@]}" 2>&1 | grep -q '^Remv'; then
    echo "!!! NOT INSTALLED: ${i386_packages[*]} (installing them would remove packages);" \
         "the 32-bit plug-in is built without its editor !!!"
  else
    echo "installing: ${i386_packages[*]}"
    "${apt[@]}" install -y -qq --no-install-recommends "${i386_packages[@]}" >/dev/null \
      || echo "!!! NOT INSTALLED: ${i386_packages[*]}; the 32-bit plug-in is built without its editor !!!"
  fi
fi
