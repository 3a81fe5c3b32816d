#!/usr/bin/env bash
# The shared libraries keep the binary interface of release 1.0.0: additions
# pass, any removed or changed symbol, class layout or vtable fails with
# abidiff's report. The self-test plants a new virtual function in a scratch
# copy and requires the check to catch it.
set -euo pipefail
cd "$(dirname "$0")/../.."

if ! command -v abidiff >/dev/null || ! command -v abidw >/dev/null; then
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends abigail-tools >/dev/null
fi
Tests/abi/check-abi.sh
Tests/abi/check-abi.sh --self-test
