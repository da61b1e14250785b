#!/usr/bin/env bash
# The generated LV2 bundle as the LV2 tools see it.
#   check_bundle.sh validate BUNDLE            lv2_validate finds nothing to report
#   check_bundle.sh lilv BUNDLE PRESETS        lv2ls and lv2info find it, its UI, ports and presets
#   check_bundle.sh refuse GENERATOR PRESETS   broken presets stop the generator with one line
set -euo pipefail
uri=https://korvane.example/ulvodraw
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

case $1 in
validate)
    status=0
    lv2_validate "$2"/*.ttl > "$work/out" 2>&1 || status=$?
    cat "$work/out"
    [ "$status" -eq 0 ] || fail "lv2_validate exited with $status"
    # Debian's lv2_validate names lv2core.doap.ttl, which its lv2-dev does not ship.
    if grep -v -e '^Found 0 errors among [0-9]* files' \
        -e '^Skipping file /usr/lib/lv2/core.lv2/lv2core.doap.ttl$' "$work/out"; then
        fail "lv2_validate reported the lines above"
    fi
    grep -q '^Found 0 errors' "$work/out" || fail "lv2_validate gave no summary"
    ;;
lilv)
    # Only this bundle and the LV2 vocabularies that lv2-dev installs (for the class names): the
    # build folder holds much else that lilv would try to load as bundles, and a plug-in
    # installed on the machine, another copy of this one above all, must not be seen.
    mkdir "$work/lv2"
    ln -s "$(cd "$2" && pwd)" "$work/lv2/ulvodraw.lv2"
    for vocabulary in $(dpkg -L lv2-dev | grep -E '^/usr/lib/lv2/[^/]+\.lv2$'); do
        ln -s "$vocabulary" "$work/lv2/vocabulary-$(basename "$vocabulary")"
    done
    export LV2_PATH="$work/lv2" HOME="$work"
    lv2ls | grep -qxF "$uri" || fail "lv2ls does not list $uri"
    lv2info "$uri" > "$work/info" 2> "$work/errors" || fail "lv2info exited with $?"
    if [ -s "$work/errors" ]; then cat "$work/errors"; fail "lv2info complained"; fi
    grep -q $'^\tName: *UlvoDraw$' "$work/info" || fail "not named UlvoDraw"
    grep -q $'^\tClass: *Instrument Plugin$' "$work/info" || fail "not an instrument"
    # The editor: an X11 UI whose binary is in the bundle.
    grep -A1 -xF $'\t\t'"$uri#ui" "$work/info" | grep -q 'Class: *.*extensions/ui#X11UI$' ||
        fail "no X11 UI $uri#ui"
    binary=$(sed -n 's|^\t\t\tBinary: *file://||p' "$work/info")
    [ -f "$binary" ] || fail "the UI's binary '$binary' is missing"
    # Every port the Turtle file declares, as many as the build has (the controls may grow).
    ports=$(grep -c $'^\tPort [0-9]*:$' "$work/info" || true)
    declared=$(grep -c 'lv2:index' "$2/ulvodraw.ttl" || true)
    [ "$ports" -gt 27 ] && [ "$ports" -eq "$declared" ] ||
        fail "$ports ports, $declared declared"
    grep -q $'^\t\tSymbol: *notify$' "$work/info" || fail "no notify port"
    awk '/^\tPresets:/ { on = 1; next } on && /^$/ { exit } on { sub(/^[ \t]+/, ""); print }' \
        "$work/info" | sort > "$work/listed"
    sed -n 's/^\[[[:space:]]*\(.*[^[:space:]]\)[[:space:]]*\]$/\1/p' "$3" | sort > "$work/expected"
    diff -u "$work/expected" "$work/listed" || fail "lv2info lists other presets than $3"
    # Each preset under its family's bank, with its one line as the comment hosts show.
    sordi "$2/presets.ttl" > "$work/triples" || fail "sordi could not read presets.ttl"
    python3 - "$work/triples" "$3" << 'EOF' || fail "presets.ttl differs from $3 (above)"
import re, sys
rdfs = "http://www.w3.org/2000/01/rdf-schema#"
bank = "http://lv2plug.in/ns/ext/presets#bank"
facts = {}
for line in open(sys.argv[1], encoding="utf-8"):
    m = re.match(r'<([^>]*)> <([^>]*)> (?:<([^>]*)>|"((?:[^"\\]|\\.)*)")', line)
    if m:
        text = m.group(4) and re.sub(r"\\(.)", r"\1", m.group(4))
        facts.setdefault(m.group(1), {})[m.group(2)] = m.group(3) or text
by_label = {f.get(rdfs + "label"): f for f in facts.values() if bank in f}
faults = 0
for section in re.split(r"^(?=\[)", open(sys.argv[2], encoding="utf-8").read(), flags=re.M):
    name = re.match(r"\[\s*(.*?)\s*\]", section)
    if not name:
        continue
    given = dict(re.findall(r"^(family|description)\s*=\s*(.*?)\s*$", section, re.M))
    preset = by_label.get(name.group(1), {})
    shown = (facts.get(preset.get(bank), {}).get(rdfs + "label"), preset.get(rdfs + "comment"))
    if shown != (given.get("family"), given.get("description")):
        print(name.group(1), "shows", shown, "for", given)
        faults += 1
sys.exit(1 if faults else 0)
EOF
    echo "$(wc -l < "$work/listed") presets and $ports ports"
    ;;
refuse)
    # A value out of range, and two names that would share one preset URI.
    printf '[Broken]\nattack = 2\n' > "$work/range.presets"
    body=$(awk '/^\[/ { if (seen++) exit; next } /=/' "$3")
    printf '[Saw Lead]\n%s\n[Saw-Lead]\n%s\n' "$body" "$body" > "$work/uri.presets"
    for broken in range:'line 2' uri:'#saw-lead'; do
        status=0
        "$2" "$work/${broken%%:*}.presets" "$work/out.lv2" ulvodraw.so 2> "$work/errors" ||
            status=$?
        cat "$work/errors"
        [ "$status" -ne 0 ] || fail "the generator took ${broken%%:*}.presets"
        [ "$(wc -l < "$work/errors")" -eq 1 ] || fail "not one line of error"
        grep -qF "${broken#*:}" "$work/errors" || fail "the error does not say ${broken#*:}"
        [ ! -e "$work/out.lv2" ] || fail "the generator wrote a bundle anyway"
    done
    ;;
*) fail "unknown check $1" ;;
esac
