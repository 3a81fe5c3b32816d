#!/usr/bin/env bash
# Reading and writing under a comma-decimal locale must give the same values and
# text as under "C". The test skips when no such locale exists, so this stage
# makes sure de_DE.UTF-8 exists (installing Debian's locales once, quietly) and
# then requires the test to have run, not skipped.
set -euo pipefail
cd "$(dirname "$0")/../.."

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed'; then
    $SUDO apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends locales >/dev/null
  fi
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

out=$(build/release/Tests/kivJSONTests --gtest_filter='*CommaDecimalLocale*')
echo "$out" | tail -n 3
if echo "$out" | grep -q 'SKIPPED'; then
  echo "locale test skipped although de_DE.UTF-8 was set up" >&2
  exit 1
fi
