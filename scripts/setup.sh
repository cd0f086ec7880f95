#!/usr/bin/env bash
# Installs everything the project needs to build, test and benchmark on a
# bare Debian 12 machine. Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  libsqlite3-dev sqlite3
  python3
  unixodbc unixodbc-dev odbcinst libsqliteodbc
  postgresql odbc-postgresql
  nlohmann-json3-dev
  libutf8proc-dev
  libxlsxwriter-dev zlib1g-dev
  python3 python3-openpyxl
  googletest libgtest-dev libgmock-dev
  libbenchmark-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  libboost-dev
  clang-tidy clang-format
  libcpp-httplib-dev
  chromium chromium-driver python3-selenium
  libcurl4-openssl-dev python3-aiosmtpd
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
