#!/usr/bin/env bash
# Installs from Debian's packages whatever the build needs and the machine lacks.
# Idempotent: packages that dpkg already reports installed are left alone, and the package
# lists are refreshed only when something must be installed.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(cmake make g++ pkg-config libboost1.81-dev libboost-json1.81-dev libgtest-dev libgmock-dev
          libbenchmark-dev libgrpc++-dev protobuf-compiler-grpc libprotobuf-dev protobuf-compiler
          openssl "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
