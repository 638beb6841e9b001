# The Windows package: halvo.exe imports only Windows' own DLLs (its C and
# C++ runtimes are linked in), holds its icon, version and manifest and no
# symbols, and the zip unpacks into one folder laid out as the program reads
# it, shaders copied rather than linked, and only those the show reads.
source "$(dirname "$0")/lib.sh"
: "${HALVO_VERSION:?HALVO_VERSION must be the version of the build}"

imports=$(x86_64-w64-mingw32-objdump -p "$SHOW/halvo.exe" | awk '/DLL Name:/ { print toupper($3) }' | sort)
for dll in $imports; do
    case $dll in
    GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | OPENGL32.DLL | SHELL32.DLL | USER32.DLL | WINMM.DLL) ;;
    *) fail "halvo.exe imports $dll, which is not part of Windows" ;;
    esac
done
echo "$imports" | grep -qx KERNEL32.DLL || fail "no imports read from halvo.exe"

# The resources as windres lists them.
rc=$(x86_64-w64-mingw32-windres -i "$SHOW/halvo.exe" -O rc) || fail "windres cannot read halvo.exe"
block() {
    awk -v start="$1" '$0 ~ start { on = 1 } on { print } on && /^END/ { exit }' <<<"$rc"
}
# The icon group: 16, 32, 48 and 256 px (written 0), 32 bits each.
icons=$(block RT_GROUP_ICON)
for size in '\\020\\020' '\\040\\040' '\\060\\060' '\\000\\000'; do
    grep -q "\"$size\\\\000\\\\000\", 1, 32," <<<"$icons" || fail "no $size icon of 32 bits in: $icons"
done
version=$(block VERSIONINFO)
numbers=$(sed 's/[^0-9.].*//; s/\./, /g' <<<"$HALVO_VERSION")
for line in "FILEVERSION $numbers, 0" "PRODUCTVERSION $numbers, 0" \
    "VALUE \"ProductVersion\", \"$HALVO_VERSION\"" "VALUE \"FileVersion\", \"$HALVO_VERSION\"" \
    'VALUE "ProductName", "Halvo"' 'VALUE "CompanyName", "Sorva"' \
    'VALUE "LegalCopyright", "Copyright (C) 20' 'VALUE "OriginalFilename", "halvo.exe"'; do
    grep -qF "$line" <<<"$version" || fail "the version resource lacks '$line': $version"
done
# The manifest's text, unquoted, and what Windows reads in it.
manifest=$(block RT_MANIFEST | sed -n 's/^ *"\(.*\)\\n"$/\1/p' | sed 's/""/"/g')
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.read())' \
    <<<"$manifest" || fail "the manifest is not XML: $manifest"
for pattern in '<dpiAwareness[^>]*>PerMonitorV2' \
    'name="Microsoft.Windows.Common-Controls" version="6\.0\.0\.0"' \
    '<requestedExecutionLevel level="asInvoker"' \
    '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'; do
    grep -q "$pattern" <<<"$manifest" || fail "the manifest lacks $pattern: $manifest"
done
x86_64-w64-mingw32-objdump -h "$SHOW/halvo.exe" | grep -q ' \.debug' && fail "halvo.exe holds debug information"
x86_64-w64-mingw32-nm "$SHOW/halvo.exe" 2>&1 | grep -q 'no symbols' || fail "halvo.exe holds symbols"

unzip -q "$HALVO_BUILD/halvo-win64.zip" -d "$WORK/unpacked"
top=$(ls "$WORK/unpacked")
expect_eq "$top" halvo-win64 "the zip's one folder"
root="$WORK/unpacked/halvo-win64"
for f in halvo.exe data/nostalgia-rmx.mp3 data/shaders/trivial.vs data/shaders/dct/a.fs \
    data/img/noisetex.png data-2Fscience_e.track; do
    [ -f "$root/$f" ] || fail "the zip holds no $f"
    [ -L "$root/$f" ] && fail "$f is a link in the zip"
done
cmp -s "$root/data/shaders/fxaa.fs" "$HALVO_SOURCE/data/shaders/fxaa.fs" ||
    fail "the zip's fxaa.fs differs from the tree's"
expect_eq "$(ls "$root"/*.track | wc -l)" "$(ls "$SHOW"/*.track | wc -l)" "track files in the zip"
# Each shader shipped is one the show's code names, and each it names is shipped.
shipped=$(cd "$root/data/shaders" && find . -type f | sed 's|^\./||' | sort)
named=$(cd "$HALVO_SOURCE" && grep -rhoE '"(\./)?data/shaders/[^"]+"|"[a-z0-9_/]+\.(fs|vs)"' app fx scene gl |
    tr -d '"' | sed 's|^\./||; s|^data/shaders/||' | sort -u)
expect_eq "$shipped" "$named" "the zip's shaders against those the show reads"
echo "windows package: halvo.exe imports only $(echo $imports | tr ' ' ','); the zip is whole"
