#!/usr/bin/env bash
# Installs everything Vantrel needs to build, run and test on Debian 12.
set -euo pipefail
packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # signal processing, SDR devices, packet feeds, the audio server's client library
  libliquid-dev libfftw3-dev libsoapysdr-dev soapysdr-tools libmosquitto-dev mosquitto
  mosquitto-clients nlohmann-json3-dev libpulse-dev
  # headless test services: display, audio server, session bus, clipboard, pictures
  xvfb xauth xdotool pulseaudio pulseaudio-utils dbus libglib2.0-bin xclip imagemagick
  poppler-utils fonts-liberation2 x11-utils
  # the orbit model's verification set (data files only)
  python3-sgp4
  # fuzzing and the format check
  clang libclang-rt-14-dev clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
