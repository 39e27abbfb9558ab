#!/usr/bin/env bash
# Installs the Debian packages a step needs, only those that are missing.
# usage: tools/deps.sh build|cli|test|fuzz   (cli: the batch tool alone)
set -euo pipefail
cli=(cmake g++ make pkg-config libspng-dev zlib1g-dev)
build=(cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n libfontconfig-dev
       libspng-dev zlib1g-dev
       fonts-morisawa-bizud-gothic fonts-ipafont-gothic)
test=(libgtest-dev libbenchmark-dev python3-pil desktop-file-utils help2man xvfb openbox x11-utils xdotool)
fuzz=(clang libclang-rt-14-dev)
want=("${build[@]}")
case "${1:-build}" in
  build) ;;
  cli) want=("${cli[@]}") ;;
  test) want+=("${test[@]}") ;;
  fuzz) want+=("${test[@]}" "${fuzz[@]}") ;;
  *) echo "usage: $0 build|cli|test|fuzz" >&2; exit 2 ;;
esac
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
