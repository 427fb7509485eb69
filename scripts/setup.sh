#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are
# missing. As root it runs apt-get; otherwise it prints the one line to run.
set -u
packages=(cmake make g++ googletest mingw-w64 wine64 xvfb imagemagick sox nsis fp-utils fonts-dejavu-core x11-utils xdotool
  clang-format
  osslsigncode openssl  # Authenticode signatures, and the test command's throwaway certificate
  chromium firefox-esr)  # they make the real browser profiles the tests clean
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  $line" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
