#!/usr/bin/env bash
# Installs every Debian package the build, the data generators and the tests need.
# Idempotent: when everything is present it prints nothing and touches nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libplist-dev libcmph-dev libdb5.3-dev libsqlite3-dev
  libbz2-dev unicode-data rime-data-pinyin-simp pinyin-database friso-dict opencc libopencc1.1 python3-jieba
  libcairo2-dev libpixman-1-dev libpango1.0-dev libzip-dev libiniparser-dev libjpeg-dev libpng-dev
  fonts-wqy-microhei fonts-dejavu-core liblua5.1-0-dev
  libcurl4-openssl-dev libmicrohttpd-dev libssl-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  sudo=sudo
else
  sudo=
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
