# The Windows package: halvo.exe imports only Windows' own DLLs (its C and
# C++ runtimes are linked in), and the zip unpacks into one folder laid out
# as the program reads it, shaders copied rather than linked.
source "$(dirname "$0")/lib.sh"

imports=$(x86_64-w64-mingw32-objdump -p "$SHOW/halvo.exe" | awk '/DLL Name:/ { print toupper($3) }' | sort)
for dll in $imports; do
    case $dll in
    GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | OPENGL32.DLL | SHELL32.DLL | USER32.DLL | WINMM.DLL) ;;
    *) fail "halvo.exe imports $dll, which is not part of Windows" ;;
    esac
done
echo "$imports" | grep -qx KERNEL32.DLL || fail "no imports read from halvo.exe"

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
echo "windows package: halvo.exe imports only $(echo $imports | tr ' ' ','); the zip is whole"
