#!/usr/bin/env bash
# Installs the build into a temporary root, as the Debian package does, and checks that every file lies where
# the desktop, man and bash-completion look for it, and that the desktop's own checkers accept the launcher,
# the icon and the software-centre metadata.
# Usage: install_test.sh CMAKE BUILD_FOLDER SOURCE_FOLDER
set -u
cmake=$1
build=$2
source=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >"$root/install.log" 2>&1; then
    cat "$root/install.log"
    echo "FAIL: cmake --install"
    echo "0 passed, 1 failed"
    exit 1
fi
usr=$root/usr
share=$usr/share

for program in chimewell chimewell-cli; do
    [ -x "$usr/bin/$program" ] || fail "bin/$program is missing or not executable"
done
# The program finds what ships with it in ../share/chimewell/ from its executable.
[ -f "$share/chimewell/help/index.html" ] || fail "the help document is missing"
for skin in "$source"/skins/*.skn; do
    [ -f "$share/chimewell/skins/$(basename "$skin")" ] || fail "skin $(basename "$skin") is missing"
done

# The launcher: accepted by the desktop-entry checker (hints allowed), naming an installed icon and executable.
launcher=$share/applications/chimewell.desktop
if [ -f "$launcher" ]; then
    desktop-file-validate "$launcher" >"$root/validate.log" 2>&1 || {
        cat "$root/validate.log"
        fail "desktop-file-validate refuses the launcher"
    }
    grep -q '^Icon=chimewell$' "$launcher" || fail "the launcher does not name the icon chimewell"
    grep -q '^Exec=chimewell$' "$launcher" || fail "the launcher does not start chimewell"
    grep -q '^Name\[zh_CN\]=晴铃提醒$' "$launcher" || fail "the launcher has no Chinese name"
else
    fail "share/applications/chimewell.desktop is missing"
fi

# The icon: the drawing, and pictures whose PNG header gives the size their folder promises.
[ -f "$share/icons/hicolor/scalable/apps/chimewell.svg" ] || fail "the scalable icon is missing"
for side in 16 22 24 32 48 64 128 256; do
    picture=$share/icons/hicolor/${side}x${side}/apps/chimewell.png
    if [ ! -f "$picture" ]; then
        fail "the ${side}x${side} icon is missing"
        continue
    fi
    read -r -a header <<<"$(od -An -tu1 -w24 -N24 "$picture")"
    width=$(((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19]))
    height=$(((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23]))
    [ "${header[1]} ${header[2]} ${header[3]}" = "80 78 71" ] || fail "${side}x${side}/apps/chimewell.png is no PNG"
    [ "$width" = "$side" ] && [ "$height" = "$side" ] ||
        fail "${side}x${side}/apps/chimewell.png is ${width}x${height}"
done

# The software-centre metadata, alone and together with the launcher and icons it refers to.
metainfo=$(find "$share/metainfo" -name '*.metainfo.xml' 2>/dev/null)
if [ "$(echo "$metainfo" | grep -c .)" = 1 ]; then
    appstreamcli validate --no-net "$metainfo" >"$root/appstream.log" 2>&1 || {
        cat "$root/appstream.log"
        fail "appstreamcli validate refuses the metadata"
    }
    appstreamcli validate-tree --no-net "$usr" >"$root/tree.log" 2>&1 || {
        cat "$root/tree.log"
        fail "appstreamcli validate-tree refuses the installed tree"
    }
    grep -q '<launchable type="desktop-id">chimewell.desktop</launchable>' "$metainfo" ||
        fail "the metadata does not launch chimewell.desktop"
else
    fail "expected one metainfo file, found: $metainfo"
fi

# The manual pages render without a warning; the completion is valid bash.
for page in chimewell chimewell-cli; do
    file=$share/man/man1/$page.1.gz
    if [ -f "$file" ]; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page warns: $warnings"
    else
        fail "man1/$page.1.gz is missing"
    fi
done
completion=$share/bash-completion/completions/chimewell-cli
[ -f "$completion" ] && bash -n "$completion" || fail "the bash completion is missing or not valid bash"

# The installed command line runs from where it lies, with nothing of the build beside it.
[ -x "$usr/libexec/chimewell/chimewell-cli-sync" ] || fail "libexec/chimewell/chimewell-cli-sync, the sync's helper, is missing"
[ -x "$usr/libexec/chimewell/chimewell-cli-ics" ] || fail "libexec/chimewell/chimewell-cli-ics, the helper of ics, is missing"
terms=$("$usr/bin/chimewell-cli" terms 2026 2>&1)
[ "$(echo "$terms" | grep -c .)" = 24 ] || fail "the installed chimewell-cli terms 2026 printed: $terms"
# The helper of ics runs from where it lies (chimewell-cli finds it in /usr/libexec, outside this trial's root).
icsdir=$(mktemp -d)
ics=$("$usr/libexec/chimewell/chimewell-cli-ics" ics --dir "$icsdir" "$icsdir/out.ics" 2>&1)
grep -q "BEGIN:VCALENDAR" "$icsdir/out.ics" 2>/dev/null || fail "the installed chimewell-cli ics wrote no calendar: $ics"
rm -rf "$icsdir"

if [ "$failures" -gt 0 ]; then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
