#!/usr/bin/env bash
# The release files of scripts/package.sh against the build they came from: each archive holds
# the expected files and nothing else, the Windows zips carry the DLLs as built, the Debian
# package's fields are those of a sound package, the version is the same everywhere, and the
# Linux archive, unpacked anywhere, plays the demo to the build's bytes through both plug-ins.
#   check_archives.sh DIST_DIR          (the builds in build/linux, build/win32, build/win64)
set -euo pipefail
cd "$(dirname "$0")/../.."
dist=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
same_list() { # NAME EXPECTED ACTUAL
    diff -u <(sort "$2") <(sort "$3") || fail "$1 holds other files than expected (- missing, + extra)"
}

version=$(build/linux/ulvo-render --version)
version=${version#ulvo-render }
arch=$(dpkg --print-architecture)
expected_names=(SHA256SUMS "UlvoDraw-$version-linux-$(uname -m).tar.gz" "UlvoDraw-$version-win32.zip"
    "UlvoDraw-$version-win64.zip" "ulvodraw_${version}_$arch.deb")
ls "$dist" >"$work/names"
same_list "$dist" <(printf '%s\n' "${expected_names[@]}") "$work/names"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"

# What every Linux install holds, below its prefix; the bundle is whatever the build made of it.
{
    echo lib/vst/UlvoDraw.so
    echo lib/clap/UlvoDraw.clap
    for file in build/linux/ulvodraw.lv2/*; do echo "lib/lv2/ulvodraw.lv2/$(basename "$file")"; done
    echo bin/ulvo-render
    echo share/man/man1/ulvo-render.1.gz
    if [ -e build/linux/ulvo-play ]; then
        echo bin/ulvo-play
        echo share/man/man1/ulvo-play.1.gz
    fi
    module=$(find build/linux/python -maxdepth 1 -name 'ulvodraw*.so' -printf '%f\n')
    if [ -n "$module" ]; then
        echo "lib/python3/dist-packages/$module"
        echo lib/python3/dist-packages/ulvodraw_dataset.py
        echo bin/ulvo-dataset
        echo share/man/man1/ulvo-dataset.1.gz
    fi
    echo share/ulvodraw/factory.presets
    echo share/doc/ulvodraw/README.md
    echo share/doc/ulvodraw/CHANGELOG.md
    # Every picture the README shows, where its links point.
    sed -n 's|.*](\(docs/[^)]*\.png\)).*|share/doc/ulvodraw/\1|p' README.md
} | sort -u >"$work/install"

# The Linux archive: the install tree and the licence, in one folder.
linux=UlvoDraw-$version-linux-$(uname -m)
tar -tzf "$dist/$linux.tar.gz" | grep -v '/$' >"$work/tar"
{
    sed "s|^|$linux/|" "$work/install"
    echo "$linux/share/doc/ulvodraw/LICENSE"
    echo "$linux/README.txt"
} >"$work/expected"
same_list "$linux.tar.gz" "$work/expected" "$work/tar"
tar -C "$work" -xzf "$dist/$linux.tar.gz"
unpacked=$work/$linux
# Its README names every library the binaries load beyond the C and C++ runtime, and the C
# library's version they need at least.
# ELF files only: bin/ulvo-dataset is a Python script.
binaries=$(find "$unpacked/bin" "$unpacked/lib" -type f \( -perm -u+x -o -name '*.so' -o -name '*.clap' \) \
    -exec sh -c 'head -c 4 "$0" | grep -q "ELF"' {} \; -print)
for soname in $(for binary in $binaries; do
    readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; done | sort -u); do
    case $soname in libc.so.* | libm.so.* | libstdc++.so.* | libgcc_s.so.* | ld-linux*) continue ;; esac
    base=${soname%%.so*}
    base=${base%-0}
    grep -qiw -e "$base" -e "${base#lib}" "$unpacked/README.txt" ||
        fail "the archive's README.txt does not name ${base#lib}, which $soname is"
done
needed=$(for binary in $binaries; do objdump -T "$binary"; done |
    grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -V | tail -1)
stated=$(sed -n 's/.*GNU C library \([0-9.]*[0-9]\) or later.*/\1/p' "$unpacked/README.txt")
[ "$(printf '%s\n' "$needed" "$stated" | sort -V | tail -1)" = "$stated" ] ||
    fail "the binaries need the C library $needed, the archive's README.txt says ${stated:-nothing}"
[ "$("$unpacked/bin/ulvo-render" --version)" = "ulvo-render $version" ] ||
    fail "the archive's ulvo-render is not version $version"
grep -q "doap:revision \"$version\"" "$unpacked/lib/lv2/ulvodraw.lv2/ulvodraw.ttl" ||
    fail "the archive's LV2 description does not give version $version"
mapfile -t patch <demo/patch.args
# The same patch by the LV2 build's symbols: its port names are words, not the VST 2 letters.
mapfile -t lv2patch <demo/patch-lv2.args
build/linux/ulvo-render "${patch[@]}" demo/demo.mid "$work/build.wav" >/dev/null
# The LV2 build against the build's own bundle: its drawbars follow their positions, which the
# VST 2 build's do not while a patch is being set.
build/linux/ulvo-render --plugin build/linux/ulvodraw.lv2 "${lv2patch[@]}" demo/demo.mid \
    "$work/build-lv2.wav" >/dev/null
# No --plugin: the tool finds the VST 2 plug-in where the archive put it.
"$unpacked/bin/ulvo-render" "${patch[@]}" demo/demo.mid "$work/vst.wav" >/dev/null
"$unpacked/bin/ulvo-render" --plugin "$unpacked/lib/lv2/ulvodraw.lv2" "${lv2patch[@]}" \
    demo/demo.mid "$work/lv2.wav" >/dev/null
cmp "$work/build.wav" "$work/vst.wav" || fail "the archive's VST 2 plug-in renders other bytes"
cmp "$work/build-lv2.wav" "$work/lv2.wav" || fail "the archive's LV2 bundle renders other bytes"
# With nothing installed in sight, the URI and a preset's name find the bundle at ../lib/lv2
# from the tool's folder.
build/linux/ulvo-render --plugin build/linux/ulvodraw.lv2 --preset "Jazz Organ" demo/demo.mid \
    "$work/build-preset.wav" >/dev/null
mkdir "$work/home"
LV2_PATH= HOME=$work/home "$unpacked/bin/ulvo-render" --plugin https://korvane.example/ulvodraw \
    "${lv2patch[@]}" demo/demo.mid "$work/lv2-uri.wav" >/dev/null
LV2_PATH= HOME=$work/home "$unpacked/bin/ulvo-render" --preset "Jazz Organ" demo/demo.mid \
    "$work/preset.wav" >/dev/null 2>"$work/preset.err"
cmp "$work/build-lv2.wav" "$work/lv2-uri.wav" || fail "the archive's ulvo-render misses ../lib/lv2"
[ ! -s "$work/preset.err" ] || fail "the archive's ulvo-render said: $(cat "$work/preset.err")"
cmp "$work/build-preset.wav" "$work/preset.wav" || fail "a preset by name is not the LV2 build's"

# The Debian package: the install tree under /usr with Debian's own files in place of the
# licence, and the fields of a sound package.
deb=$dist/ulvodraw_${version}_$arch.deb
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 3) }' >"$work/deb"
{
    sed 's|^|usr/|' "$work/install"
    printf '%s\n' usr/share/doc/ulvodraw/copyright usr/share/doc/ulvodraw/changelog.gz
} >"$work/expected"
same_list "$(basename "$deb")" "$work/expected" "$work/deb"
# How the dependencies are worded, stripping and Debian's own files are lintian's to check.
for expected in Package=ulvodraw "Version=$version" Section=sound Provides=lv2-plugin; do
    value=$(dpkg-deb -f "$deb" "${expected%%=*}")
    [ "$value" = "${expected#*=}" ] || fail "the package's ${expected%%=*} is '$value'"
done
[ -n "$(dpkg-deb -f "$deb" Depends)" ] || fail "the package depends on nothing"

# The Windows zips: the VST 2 and CLAP plug-ins as built, the README and the licence.
for preset in win32 win64; do
    name=UlvoDraw-$version-$preset
    unzip -Z1 "$dist/$name.zip" >"$work/zip"
    printf '%s\n' "$name/UlvoDraw.dll" "$name/UlvoDraw.clap" "$name/README.txt" \
        "$name/LICENSE.txt" >"$work/expected"
    same_list "$name.zip" "$work/expected" "$work/zip"
    for plugin in UlvoDraw.dll UlvoDraw.clap; do
        unzip -p "$dist/$name.zip" "$name/$plugin" | cmp - "build/$preset/$plugin" ||
            fail "the $plugin in $name.zip is not build/$preset/$plugin"
    done
done
echo "archives: $(wc -l <"$work/tar") files in the Linux archive, $(wc -l <"$work/deb") in the" \
    "Debian package, 4 in each zip; the archive's plug-ins render the demo as the build does"
