#!/bin/bash
# Installs the Debian packages on this machine with apt-get, uses them from
# /usr/bin as an ordinary user, removes them again and finds nothing of them
# left. It needs root; run as anyone else it says so and is skipped (77).
#
# check_package_install.sh BUILD_DIR
set -u
build=$1
if [ "$(id -u)" != 0 ]; then
    echo "skipped: installing the packages with apt-get needs root"
    exit 77
fi
if ! command -v apt-get >/dev/null || ! id nobody >/dev/null 2>&1; then
    echo "skipped: apt-get or the user nobody is missing on this machine"
    exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/lumavox-apt.XXXXXX")
chmod 0755 "$work"
packages="lumavox lumavox-dev libnvsocx1 libgprslink1"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
purge() {
    DEBIAN_FRONTEND=noninteractive apt-get purge -y $packages >"$work/purge.log" 2>&1
}
trap 'purge; rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the packages"
    exit 1
}
# A copy left by an interrupted run would make apt-get keep the old files.
purge
debs=("$work"/out/*.deb)
for deb in "${debs[@]}"; do
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' | sed 's/ -> .*//'
done >"$work/files"
# The recommended fonts are left out: they are other packages, and the test
# changes no more of the machine than its own packages.
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${debs[@]}" \
    >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: apt-get install"
    exit 1
fi
echo "installed: $packages"

# An ordinary user with a home of its own uses the programs from /usr/bin.
home=$work/home
mkdir -p "$home/run"
chown -R nobody "$home"
chmod 0700 "$home/run"
as_user() {
    runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        QT_QPA_PLATFORM=offscreen "$@"
}
[ "$(command -v lumavox-cli)" = /usr/bin/lumavox-cli ] || fail "lumavox-cli is not /usr/bin/lumavox-cli"
as_user lumavox-cli --version || fail "lumavox-cli --version"
as_user lumavox-cli demo "$home/demo.glm" >/dev/null || fail "lumavox-cli demo"
as_user lumavox-cli render "$home/demo.glm" --png "$home/demo.png" || fail "lumavox-cli render"
[ -s "$home/demo.png" ] || fail "lumavox-cli render wrote no picture"
as_user lumavox "$home/demo.glm" --screenshot "$home/editor.png" >"$work/editor.log" 2>&1 ||
    fail "lumavox --screenshot: $(cat "$work/editor.log")"
[ -s "$home/editor.png" ] || fail "lumavox --screenshot wrote no picture"
if command -v man >/dev/null; then
    [ "$(man -w lumavox-cli)" = /usr/share/man/man1/lumavox-cli.1.gz ] || fail "man -w lumavox-cli: $(man -w lumavox-cli 2>&1)"
else
    fail "man is not installed"
fi
# The programs changed none of their installed files.
for p in $packages; do
    dpkg --verify "$p" || fail "dpkg --verify $p: installed files changed"
done

# Removed, nothing of them is left.
purge || {
    cat "$work/purge.log"
    fail "apt-get purge"
}
while read -r file; do
    [ -e "$file" ] || [ -L "$file" ] && fail "left after removal: $file"
done <"$work/files"
for dir in /usr/share/lumavox /usr/include/lumavox /usr/share/doc/lumavox; do
    [ -e "$dir" ] && fail "left after removal: $dir"
done
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && fail "$p is still installed"
done

[ "$failures" = 0 ] && echo "installed, used as an ordinary user and removed without a trace"
exit $((failures > 0))
