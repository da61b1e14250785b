#!/usr/bin/env bash
# The Debian package as a musician gets it: dpkg -i installs it, the installed ulvo-render plays
# the demo through the installed VST 2 plug-in and through the installed LV2 bundle (found by
# lilv's default search path) to the build tree's bytes, man finds the manual page, and dpkg -r
# leaves nothing of it behind.
#   check_installed_package.sh PACKAGE.deb     (the build in build/linux)
# Runs as root in a mount namespace of its own, where /usr, /etc and /var are overlays that vanish
# at the end: nothing else on the machine sees the package. Where namespaces are not allowed it
# installs for real only when ULVO_PACKAGE_SYSTEM_INSTALL=1 (a throw-away CI machine).
set -euo pipefail
cd "$(dirname "$0")/../.."
deb=$(realpath "$1")
fail() { echo "FAILED: $*"; exit 1; }

if [ -z "${ULVO_PACKAGE_SANDBOX:-}" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    if $sudo unshare --mount true 2>/dev/null; then
        exec $sudo unshare --mount --propagation private \
            env ULVO_PACKAGE_SANDBOX=overlay bash "$0" "$deb"
    fi
    if [ "${ULVO_PACKAGE_SYSTEM_INSTALL:-}" = 1 ]; then
        exec $sudo env ULVO_PACKAGE_SANDBOX=none bash "$0" "$deb"
    fi
    echo "installed package: not checked, as mount namespaces are not allowed here" \
        "(ULVO_PACKAGE_SYSTEM_INSTALL=1 installs it for real)"
    exit 0
fi

work=$(mktemp -d -p /tmp)
if [ "$ULVO_PACKAGE_SANDBOX" = overlay ]; then
    for folder in usr etc var; do
        mkdir -p "$work/$folder/upper" "$work/$folder/work"
        mount -t overlay overlay \
            -o "lowerdir=/$folder,upperdir=$work/$folder/upper,workdir=$work/$folder/work" "/$folder"
    done
fi
trap 'rm -rf "$work"' EXIT
package=$(dpkg-deb -f "$deb" Package)
dpkg-query -W "$package" >/dev/null 2>&1 && fail "$package is installed already"

# Folders of the package that the system does not have yet: they must go with it.
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ { print substr($6, 2) }' | sed 's|/$||' | grep . >"$work/folders"
while read -r folder; do [ -e "$folder" ] || echo "$folder"; done <"$work/folders" >"$work/new"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' >"$work/files"

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
while read -r file; do [ -e "$file" ] || fail "$file is not installed"; done <"$work/files"

mapfile -t patch <demo/patch.args
# The same patch by the LV2 build's symbols: its port names are words, not the VST 2 letters.
mapfile -t lv2patch <demo/patch-lv2.args
build/linux/ulvo-render "${patch[@]}" demo/demo.mid "$work/build.wav" >/dev/null
# The LV2 build against the build's own bundle: its drawbars follow their positions, which the
# VST 2 build's do not while a patch is being set.
build/linux/ulvo-render --plugin build/linux/ulvodraw.lv2 "${lv2patch[@]}" demo/demo.mid \
    "$work/build-lv2.wav" >/dev/null
# A home and an LV2 path of the system's alone: the URI can only be found in /usr/lib/lv2.
export HOME=$work/home
unset LV2_PATH
mkdir "$HOME"
cd "$work"
/usr/bin/ulvo-render "${patch[@]}" "$OLDPWD/demo/demo.mid" vst.wav >/dev/null
/usr/bin/ulvo-render --plugin https://korvane.example/ulvodraw "${lv2patch[@]}" \
    "$OLDPWD/demo/demo.mid" lv2.wav >/dev/null
# A preset by name, no --plugin: the installed LV2 build, ../lib/lv2 from /usr/bin.
(cd "$OLDPWD" && build/linux/ulvo-render --plugin build/linux/ulvodraw.lv2 --preset "Jazz Organ" \
    demo/demo.mid "$work/build-preset.wav" >/dev/null)
/usr/bin/ulvo-render --preset "Jazz Organ" "$OLDPWD/demo/demo.mid" preset.wav >/dev/null \
    2>preset.err
cmp build.wav vst.wav || fail "the installed VST 2 plug-in renders other bytes than the build"
cmp build-lv2.wav lv2.wav || fail "the installed LV2 bundle renders other bytes than the build"
[ ! -s preset.err ] || fail "the installed ulvo-render said: $(cat preset.err)"
cmp build-preset.wav preset.wav || fail "a preset by name is not the installed LV2 build's"
[ "$(man -w ulvo-render)" = /usr/share/man/man1/ulvo-render.1.gz ] ||
    fail "man does not find ulvo-render(1)"
# The Python module and ulvo-dataset as installed: a grid on a local cluster of two workers is the
# build's, byte for byte.
if [ -e "$OLDPWD/build/linux/ulvo-dataset" ]; then
    grid=(--presets "Jazz Organ" --keys 60-61 --velocities 100 --seconds 0.2 --release 0.1)
    "$OLDPWD/build/linux/ulvo-dataset" grid build-grid "${grid[@]}" --workers 1 >/dev/null
    /usr/bin/ulvo-dataset grid grid "${grid[@]}" --workers 2 >/dev/null
    diff -r build-grid grid >/dev/null || fail "the installed ulvo-dataset writes other bytes"
    [ "$(cd / && /usr/bin/python3 -c 'import ulvodraw; print(ulvodraw.__file__)')" = \
        "$(ls /usr/lib/python3/dist-packages/ulvodraw*.so)" ] ||
        fail "python3 does not import the installed ulvodraw module"
    [ "$(man -w ulvo-dataset)" = /usr/share/man/man1/ulvo-dataset.1.gz ] ||
        fail "man does not find ulvo-dataset(1)"
fi

dpkg -r "$package" >>dpkg.log 2>&1 || { cat dpkg.log; fail "dpkg -r failed"; }
while read -r file; do [ ! -e "$file" ] || fail "$file is left after dpkg -r"; done <files
while read -r folder; do [ ! -e "$folder" ] || fail "$folder is left after dpkg -r"; done <new
left=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
[ -z "$left" ] || [ "$left" = "un " ] || fail "dpkg still records $package as '$left'"
[ -z "$(ls /var/lib/dpkg/info/"$package".* 2>/dev/null)" ] || fail "dpkg keeps scripts of $package"
echo "installed package: $(wc -l <files) files installed, the demo through both plug-ins as" \
    "the build renders it, all removed by dpkg -r ($ULVO_PACKAGE_SANDBOX)"
