#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and lets lintian check it.
# Usage: CheckPackage.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb="$out/k730_${version}_$(dpkg --print-architecture).deb"
[ -s "$deb" ] || { echo "FAIL: $deb was not made" >&2; ls "$out" >&2; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "FAIL: no computed dependencies" >&2; exit 1; }
# lintian exits non-zero on errors; warnings are printed for the reader.
status=0
report=$(lintian --tag-display-limit 0 "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || { echo "FAIL: lintian reports errors" >&2; exit 1; }
echo "package $deb: lintian reports no errors"
