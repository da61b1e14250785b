#!/usr/bin/env bash
# Checks one Windows build of the CLAP plug-in under Wine: it exports clap_entry alone, imports
# only Windows system DLLs, answers the binary-interface host's checks, and plays the fixed
# scenario to exactly the native module's samples.
#   check_windows_clap.sh BUILD_DIR NATIVE_CLAP_ABI_HOST NATIVE_MODULE
set -euo pipefail
build=$1 native_host=$2 native_module=$3
module="$build/UlvoDraw.clap" exe="$build/clap_abi_host.exe"
if [ ! -f "$module" ] || [ ! -f "$exe" ]; then
    echo "SKIP: $build has no CLAP build (cmake --build $build --target ulvodraw_clap clap_abi_host)"
    exit 77
fi
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$(cd "$build/.." && pwd)/wineprefix}"
dump=$(x86_64-w64-mingw32-objdump -p "$module")
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    grep -E '^\s+\[ *[0-9]+\]' | grep -oE '[A-Za-z_]+$' | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = clap_entry ] || { echo "FAILED: exports are '$exports', not clap_entry alone"; exit 1; }
imports=$(echo "$dump" | grep "DLL Name:" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|msvcrt.dll|advapi32.dll|msimg32.dll|ole32.dll|shell32.dll) ;;
        *) echo "FAILED: imports $dll, not a Windows system DLL"; exit 1 ;;
    esac
done
echo "exports: $exports; imports: $imports"

wine "$exe" check "$module"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$native_host" render "$native_module" "$work/native.raw"
wine "$exe" render "$module" "$work/windows.raw"
cmp -s "$work/native.raw" "$work/windows.raw" ||
    { echo "FAILED: $(basename "$build") renders other samples than the native module"; exit 1; }
echo "identical samples: $(stat -c %s "$work/native.raw") bytes"
