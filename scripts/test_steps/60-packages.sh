#!/usr/bin/env bash
# The release files: scripts/package.sh run twice gives the same bytes, the archives hold what
# they should (tests/packages/check_archives.sh), lintian reports no error and no warning on the
# Debian package, and the package installs, plays and goes away cleanly
# (tests/packages/check_installed_package.sh). Leaves the files in dist/.
# Needs: the linux, win32 and win64 presets, built here
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/build.sh linux win32 win64
again=build/package-again
./scripts/package.sh dist
./scripts/package.sh "$again"
for file in dist/*; do
    cmp "$file" "$again/$(basename "$file")" || { echo "FAILED: $file differs between two builds"; exit 1; }
done
echo "packages: two builds gave the same bytes ($(cd dist && echo *))"
rm -rf "$again"

tests/packages/check_archives.sh dist
root=()
[ "$(id -u)" -ne 0 ] || root=(--allow-root)
lintian "${root[@]}" --fail-on error,warning dist/*.deb
echo "lintian: no error, no warning"
tests/packages/check_installed_package.sh dist/ulvodraw_*.deb
