#!/usr/bin/env bash
# Installs every package the build, the tests, the package check, the demo and the benchmark and
# screenshot scripts need, from Debian's archive, and generates the comma-decimal locale the
# tests run under a second time. The commissioning report's tests read its PDF with poppler's
# pdftotext and pdffonts; its Chinese and Korean pages embed the WenQuanYi font. Publishing to
# MQTT uses libmosquitto; its end-to-end test runs Debian's mosquitto broker on a loopback port.
# Safe to run again: it only acts when something is missing, and says nothing then.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-charts-dev libqt6charts6
  libqt6opengl6-dev qt6-svg-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev
  xvfb xauth xdotool x11-utils
  locales
  clang libclang-rt-14-dev
  python3
  dpkg-dev desktop-file-utils lintian
  fonts-wqy-microhei
  poppler-utils
  libmosquitto-dev mosquitto
)
comma_locale=de_DE.UTF-8

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# locale -a writes the name as de_DE.utf8.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "setup: generating the $comma_locale locale"
  $sudo sed -i "s/^# *\($comma_locale UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$comma_locale UTF-8" /etc/locale.gen || echo "$comma_locale UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
