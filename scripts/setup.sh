#!/usr/bin/env bash
# Installs the Debian packages the project needs (only the missing ones, quietly when all
# are there), then configures and builds. Usage: scripts/setup.sh [--sanitize] [--release]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

build_type=Debug
build_dir="$top/build"
extra=()
for arg in "$@"; do
  case "$arg" in
    --sanitize) build_dir="$top/build-asan"; extra+=(-DTARSEL_SANITIZE=ON) ;;
    --release) build_type=Release; build_dir="$top/build-release" ;;
    -h|--help) sed -n 2,3p "$0"; exit 0 ;;
    *) echo "setup.sh: unknown option '$arg' (see --help)" >&2; exit 2 ;;
  esac
done

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$top/scripts/packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
  -DTARSEL_WERROR="$werror" "${extra[@]}" >/dev/null
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$build_dir" -j"$jobs"
echo "$build_dir"
