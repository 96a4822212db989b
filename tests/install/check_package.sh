#!/bin/bash
# Builds the Debian packages from a build folder and checks them as a packager
# would, without installing them:
#   - every file and link against tests/install/package-files.txt, both ways,
#     and nothing outside /usr;
#   - the libraries' SONAMEs, their plain-name links and shlibs, and that the
#     dependencies came from the linked libraries;
#   - pkg-config against the unpacked tree, and a C program built and run with
#     both libraries from it;
#   - the installed programs run from the unpacked tree with their own data,
#     writing only into the XDG folders;
#   - lintian reports no errors; the desktop entry and AppStream data validate
#     (each where its tool is installed).
#
# check_package.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/lumavox-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the packages"
    exit 1
}
debs=("$work"/out/*.deb)
echo "built: ${debs[*]##*/}"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)

# The file list, both ways, and nothing outside /usr.
for deb in "${debs[@]}"; do
    package=$(dpkg-deb -f "$deb" Package)
    dpkg-deb -c "$deb" | awk -v p="$package" '$1 !~ /^d/ { print p, substr($6, 2) }'
done | LC_ALL=C sort >"$work/actual"
grep -v '^#' "$source/tests/install/package-files.txt" | sed "s|<multiarch>|$multiarch|" |
    LC_ALL=C sort >"$work/expected"
if ! diff -u "$work/expected" "$work/actual" >"$work/diff"; then
    fail "the packages' files differ from tests/install/package-files.txt (- expected, + built):"
    grep '^[-+]/\?[a-z]' "$work/diff" | grep -v '^\(---\|+++\)'
fi
if awk '{ print $2 }' "$work/actual" | grep -v '^/usr/'; then
    fail "files installed outside /usr (above)"
fi

tree=$work/tree
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$tree"; done
lib=$tree/usr/lib/$multiarch

# SONAMEs, links, shlibs and dependencies.
for name in NVSOCX Gprslink; do
    file=$(cd "$lib" && ls lib$name.so.* 2>/dev/null)
    soname=$(readelf -d "$lib/$file" 2>/dev/null | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [ -n "$file" ] && [ "$soname" = "$file" ] || fail "lib$name: file $file, SONAME '$soname'"
    [ "$(readlink "$lib/lib$name.so")" = "$file" ] || fail "lib$name.so does not lead to $file"
    package=lib$(echo "$name" | tr A-Z a-z)${file##*.so.}
    deb=$(ls "$work"/out/${package}_*.deb 2>/dev/null)
    shlibs=$(dpkg-deb -I "$deb" shlibs 2>/dev/null)
    [[ "$shlibs" == "lib$name ${file##*.so.} $package "* ]] || fail "$package shlibs: '$shlibs'"
    [ "$(dpkg-deb -I "$deb" triggers 2>/dev/null)" = "activate-noawait ldconfig" ] ||
        fail "$package does not run ldconfig through its trigger"
done
depends=$(dpkg-deb -f "$work"/out/lumavox_*.deb Depends)
for needed in libc6 libqt6widgets6 libsqlite3-0 libserialport0; do
    [[ "$depends" == *"$needed"* ]] || fail "lumavox does not depend on $needed: $depends"
done

# pkg-config against the unpacked tree, and a host program built with it.
export PKG_CONFIG_PATH=$lib/pkgconfig PKG_CONFIG_SYSROOT_DIR=$tree
flags=$(pkg-config --cflags --libs nvsocx gprslink) || fail "pkg-config --cflags --libs nvsocx gprslink"
echo "pkg-config: $flags"
cat >"$work/host.c" <<'EOF'
#include <NVSOCX.h>
#include <Gprslink.h>
#include <stdio.h>
int main(void) {
    printf("NVSOCX %d.%d\n", NVSOCX_Version() >> 16, (NVSOCX_Version() >> 8) & 255);
    return NVSOCX_Version() >> 16 == NVSOCX_VERSION_MAJOR ? 0 : 1;
}
EOF
if cc "$work/host.c" $flags -o "$work/host" 2>"$work/cc.log"; then
    LD_LIBRARY_PATH=$lib "$work/host" || fail "the host program did not run against the unpacked library"
else
    cat "$work/cc.log"
    fail "a host program does not build with pkg-config's flags"
fi
unset PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR

# The installed programs run from the unpacked tree, find their own data there
# and write nothing into it: the tree is read-only to them, and every file it
# holds is unchanged afterwards.
home=$work/home
mkdir -p "$home"
find "$tree" -type f -exec md5sum {} + | sort >"$work/sums.before"
chmod -R a-w "$tree"
run() {
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state" \
        XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen "$@"
}
mkdir -p -m 0700 "$home/run"
run "$tree/usr/bin/lumavox-cli" --version >"$work/version" 2>&1 || fail "lumavox-cli --version: $(cat "$work/version")"
run "$tree/usr/bin/lumavox-cli" demo "$home/demo.glm" >"$work/demo.log" 2>&1 ||
    fail "lumavox-cli demo: $(cat "$work/demo.log")"
run "$tree/usr/bin/lumavox-cli" render "$home/demo.glm" --png "$home/demo.png" >"$work/render.log" 2>&1 ||
    fail "lumavox-cli render: $(cat "$work/render.log")"
[ -s "$home/demo.png" ] || fail "lumavox-cli render wrote no picture"
chmod -R u+w "$tree"
find "$tree" -type f -exec md5sum {} + | sort >"$work/sums.after"
diff -u "$work/sums.before" "$work/sums.after" >/dev/null || fail "the programs changed files of their own tree"
[ "$(find "$tree" -newer "$work/sums.before" | wc -l)" = 0 ] || fail "the programs wrote into their own tree"

# Packaging tools, each where it is installed.
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "${debs[@]}" >"$work/lintian" 2>&1
    cat "$work/lintian"
    grep -q '^E:' "$work/lintian" && fail "lintian reports errors"
else
    echo "lintian is not installed: the package is not checked by it (make package installs it)"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$tree/usr/share/applications/lumavox.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
fi

[ "$failures" = 0 ] && echo "the packages are complete and sound"
exit $((failures > 0))
