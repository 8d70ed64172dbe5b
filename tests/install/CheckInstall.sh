#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the tree a desktop
# expects: programs, manuals, icon, desktop entry, metainfo, manual pages,
# all validated, and one version everywhere.
# Usage: CheckInstall.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in k730 k730-tool k730-sim; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
    [ -s "$prefix/share/man/man1/$program.1.gz" ] || fail "manual page $program(1) missing"
done
for manual in "K730 PC software guide.pdf" "K730 Instrukcja programu komputerowego.pdf" \
              "K-730 Instrukcja programowania.pdf" copyright changelog.gz; do
    [ -s "$prefix/share/doc/k730/$manual" ] || fail "share/doc/k730/$manual missing"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/k730.svg" ] || fail "scalable icon missing"
for size in 16 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/k730.png"
    [ -s "$png" ] || fail "icon ${size}x${size} missing"
    # PNG header: width and height are the big-endian words at bytes 16 and 20.
    [ "$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')" = "$size $size" ] ||
        fail "icon ${size}x${size} has another size"
done
desktop="$prefix/share/applications/pl.meridox.k730.desktop"
metainfo="$prefix/share/metainfo/pl.meridox.k730.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx 'Terminal=false' "$desktop" || fail "desktop entry: Terminal=false missing"
grep -qx 'Icon=k730' "$desktop" || fail "desktop entry: Icon=k730 missing"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo does not validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"

[ "$("$prefix/bin/k730-tool" --version)" = "k730-tool $version" ] || fail "k730-tool --version"
[ "$("$prefix/bin/k730-sim" --version)" = "k730-sim $version" ] || fail "k730-sim --version"
# The pages are made from --help: every subcommand the tool lists is in its page.
page=$(zcat "$prefix/share/man/man1/k730-tool.1.gz")
for sub in $("$prefix/bin/k730-tool" --help | awk '/^Subcommands:/{on=1; next} on && NF {print $1}'); do
    grep -q "^$sub\$" <<<"$page" || fail "k730-tool(1) lacks the subcommand $sub"
done
echo "install tree under a fresh prefix: complete and valid"
