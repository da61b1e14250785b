#!/usr/bin/env bash
# Checks one Windows build under Wine: its exports and imports, the record through the binary
# interface, and that it renders the fixed scenario to exactly the native build's samples.
#   check_windows_build.sh BUILD_DIR NATIVE_ABI_HOST NATIVE_PLUGIN
set -euo pipefail
build=$1 native_host=$2 native_plugin=$3
dll="$build/UlvoDraw.dll" exe="$build/abi_host.exe"
if [ ! -f "$dll" ] || [ ! -f "$exe" ]; then
    echo "SKIP: $build is not built"
    exit 77
fi
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$(cd "$build/.." && pwd)/wineprefix}"
case "$build" in
    *win32) wine_cmd=wine; exports_expected="main" ;;
    *) wine_cmd=wine; exports_expected="VSTPluginMain main" ;;
esac
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[ *[0-9]+\]' | grep -oE '[A-Za-z_]+$' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = "$exports_expected" ] || { echo "FAILED: exports are '$exports', expected '$exports_expected'"; exit 1; }
grep -qE "^Name.*UlvoDraw.dll" <<<"$dump" || { echo "FAILED: export directory is not named UlvoDraw.dll"; exit 1; }
imports=$(echo "$dump" | grep "DLL Name:" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for dllname in $imports; do
    case "$dllname" in
        kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|msvcrt.dll|advapi32.dll|msimg32.dll|ole32.dll|shell32.dll) ;;
        *) echo "FAILED: imports $dllname, not a Windows system DLL"; exit 1 ;;
    esac
done
echo "exports: $exports; imports: $imports"

$wine_cmd "$exe" check "$dll"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$native_host" render "$native_plugin" "$work/native.raw"
$wine_cmd "$exe" render "$dll" "$work/windows.raw"
if cmp -s "$work/native.raw" "$work/windows.raw"; then
    echo "identical samples: $(stat -c %s "$work/native.raw") bytes"
else
    echo "FAILED: $(basename "$build") renders different samples than the native build"
    cmp "$work/native.raw" "$work/windows.raw" | head -1
    exit 1
fi
