# tools/release.sh --check refuses a damaged release, naming what is wrong:
# each case below spoils a copy of a good release (DIR, made by
# tools/release.sh) one way; the checksums in the .nfo are made right again
# where the case is about what lies behind them.
#   release_check.sh DIR
set -euo pipefail
good=$(realpath "${1:?usage: release_check.sh DIR}")
tree=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The .nfo's sha256 lines, made to match the files again.
rehash() {
    local f sum
    for f in "$1"/*; do
        [ "${f##*/}" = halvo.nfo ] && continue
        sum=$(sha256sum "$f" | cut -d' ' -f1)
        awk -v f="${f##*/}" -v s="$sum" '$1 == f { print; getline; print "    sha256 " s; next } { print }' \
            "$1/halvo.nfo" >"$1/nfo.new"
        mv "$1/nfo.new" "$1/halvo.nfo"
    done
}

add_hud() {
    local zip
    zip=$(ls "$1"/halvo-*-win64.zip)
    mkdir -p "$WORK/zip/halvo-win64/data/shaders"
    echo "// edit mode" >"$WORK/zip/halvo-win64/data/shaders/hud.fs"
    (cd "$WORK/zip" && zip -q "$zip" halvo-win64/data/shaders/hud.fs)
    rehash "$1"
}

# case | what is done to the copy | what --check must say
cases=(
    "png changed|echo x >>\"\$d/halvo.png\"|halvo.png does not match its sha256"
    "stray file|echo x >\"\$d/notes.txt\"|notes.txt is not part of a release"
    "wide nfo|printf '%81s\\n' x >>\"\$d/halvo.nfo\"|wider than 80 columns"
    "no package|rm \"\$d\"/halvo_*_amd64.deb|holds no halvo_VERSION_amd64.deb"
    "edit shaders|add_hud \"\$d\"|holds edit mode's shaders"
)
for c in "${cases[@]}"; do
    IFS='|' read -r name action expected <<<"$c"
    d="$WORK/$name"
    cp -R "$good" "$d"
    eval "$action"
    if out=$("$tree/tools/release.sh" --check "$d" 2>&1); then
        fail "$name: --check passed"
    fi
    grep -qF "$expected" <<<"$out" || fail "$name: expected '$expected', got: $out"
    rm -rf "$d"
done
echo "release check: refuses each of ${#cases[@]} damaged releases"
