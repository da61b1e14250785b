#!/usr/bin/env bash
# Builds the release files into dist/ (or the folder given): the Debian package (CPack), the Linux
# archive, the two Windows zips and SHA256SUMS. Builds what they need first. The same commit
# gives the same bytes: every timestamp is the last commit's (SOURCE_DATE_EPOCH), entries are
# sorted, owned by root and carry fixed permissions.
#   package.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-dist}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
umask 022

cmake --preset linux >/dev/null
cmake --build --preset linux
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target UlvoDraw ulvodraw_clap
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
[ -n "$version" ] || { echo "package.sh: no project version in build/linux/CMakeCache.txt" >&2; exit 1; }
if [ ! -e build/linux/ulvo-play ]; then
    echo "package.sh: ulvo-play is not part of this build; the packages hold the rest without it"
fi

work=build/package
rm -rf "$work"
mkdir -p "$work/files"
# Every file and folder dated by the last commit.
stamp() { find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

# The Debian package.
cpack --config build/linux/CPackConfig.cmake -G DEB -B "$work/cpack" >"$work/cpack.log" ||
    { cat "$work/cpack.log" >&2; exit 1; }
mv "$work/cpack/ulvodraw_${version}_$(dpkg --print-architecture).deb" "$work/files/"

# The Linux archive: the install tree under a folder of its own name, with a README at its top
# that says how to install it and what it needs.
linux=UlvoDraw-$version-linux-$(uname -m)
cmake --install build/linux --prefix "$PWD/$work/stage/$linux" --strip >/dev/null
cp packaging/linux/README.txt "$work/stage/$linux/README.txt"
chmod 644 "$work/stage/$linux/README.txt"
stamp "$work/stage/$linux"
tar -C "$work/stage" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner \
    --mode=u+rw,go-w,go+r -cf - "$linux" | gzip -9n >"$work/files/$linux.tar.gz"

# The Windows zips: the VST 2 and CLAP plug-ins as built, with the README and the licence in
# Windows line ends.
for preset in win32 win64; do
    name=UlvoDraw-$version-$preset
    mkdir -p "$work/stage/$name"
    cp build/$preset/UlvoDraw.dll build/$preset/UlvoDraw.clap "$work/stage/$name/"
    sed 's/$/\r/' packaging/windows/README.txt >"$work/stage/$name/README.txt"
    sed 's/$/\r/' LICENSE >"$work/stage/$name/LICENSE.txt"
    chmod 644 "$work/stage/$name"/*
    stamp "$work/stage/$name"
    (cd "$work/stage" && find "$name" -type f | sort | zip -X -D -q -9 -@ "../files/$name.zip")
done

(cd "$work/files" && sha256sum -- * >SHA256SUMS)

# Into place only when all are made; older releases' files in OUT_DIR go.
mkdir -p "$out"
rm -f "$out"/ulvodraw_*.deb "$out"/UlvoDraw-*.tar.gz "$out"/UlvoDraw-*.zip "$out"/SHA256SUMS
for file in "$work/files"/*; do
    cp "$file" "$out/.$(basename "$file").tmp"
    mv "$out/.$(basename "$file").tmp" "$out/$(basename "$file")"
done
echo "package.sh: $(cd "$work/files" && echo *) in $out"
