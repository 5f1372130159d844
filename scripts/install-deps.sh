#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once, and the
# locales of the UI languages the tests use.
# Safe to run again: only what is missing is installed, and the package
# lists are refreshed at most once per run.
set -euo pipefail

# One package list per area in scripts/packages/*.list; '#' starts a comment.
mapfile -t packages < <(sed 's/#.*//' "$(dirname "$0")"/packages/*.list | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)

# The UI languages the tests run the programs in.
locales=(zh_CN en_US zh_TW)

need_i386=0
for p in "${packages[@]}"; do
  case "$p" in *:i386) need_i386=1 ;; esac
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ "$need_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for l in "${locales[@]}"; do
  if ! locale -a 2>/dev/null | grep -qx "$l.utf8"; then
    echo "install-deps: generating locale $l.UTF-8"
    $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
