#!/usr/bin/env bash
# Makes the release, from the tree as committed, into dist/:
#   halvo_VERSION_amd64.deb      the Debian package (CPack)
#   halvo-VERSION-win64.zip      the Windows show, to unpack and double-click
#   halvo-VERSION-web.zip        the site, for any static web host
#   halvo.png                    the show at the drop, from the capture tool
#   halvo-VERSION.mp4            the whole show with its sound (--video only:
#                                half an hour on a software renderer)
#   halvo.nfo                    the release's text: title, group, platforms,
#                                controls, credits and every file's sha256
# VERSION is the project's version, with the commit when HEAD is not tagged.
#
#   tools/release.sh [--video]             build everything and make dist/
#   tools/release.sh --check DIR           verify the release in DIR
#   tools/release.sh --check DIR --install also install the package, run and
#                                          remove it (as root, on this machine)
set -euo pipefail
tree=$(cd "$(dirname "$0")/.." && pwd)

die() {
    echo "release: $*" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# --- The release's text -------------------------------------------------------

# "3.2 MB" for a size in bytes.
human_size() {
    awk -v b="$1" 'BEGIN { split("B KB MB GB", u); i = 1; while (b >= 1000 && i < 4) { b /= 1000; i++ }
        printf(i == 1 ? "%d %s" : "%.1f %s", b, u[i]) }'
}

# Text wrapped to 80 columns, every line indented by $1 spaces.
wrapped() {
    fold -s -w $((80 - $1)) | sed 's/ *$//' | sed "s/^/$(printf '%*s' "$1" '')/"
}

# The .nfo for the files in $1 (all but the .nfo), version $2.
write_nfo() {
    local dir=$1 version=$2 deb win web released
    released="released $(git -C "$tree" log -1 --format=%cs)"
    deb=halvo_${version}_amd64.deb
    win=halvo-$version-win64.zip
    web=halvo-$version-web.zip
    {
        cat <<EOF
                              H  A  L  V  O
                    a real-time audiovisual demo by Sorva
$(printf '%*s' $(((80 + ${#version}) / 2)) "$version")
$(printf '%*s' $(((80 + ${#released}) / 2)) "$released")
================================================================================

  One tune, and in step with it a show of OpenGL 3.3 scenes: a million-
  particle ball, a tunnel, blue feedback, patterns and hands, through a
  letterbox, FXAA and DCT glitches, every move a sync track.

PLATFORMS ----------------------------------------------------------------------

  Windows   $win
EOF
        wrapped 12 <<EOF
Unpack anywhere and run halvo.exe. Windows 10 or 11, x64, a graphics driver with OpenGL 3.3. Nothing else to install. A failure to start says why in a box and in halvo.log.
EOF
        cat <<EOF

  Linux     $deb
EOF
        wrapped 12 <<EOF
apt install ./$deb, then run halvo or pick Halvo in the menu. Debian 12 or later on amd64, OpenGL 3.3; the package names the libraries it needs.
EOF
        cat <<EOF

  Browser   $web
EOF
        wrapped 12 <<EOF
The site: copy its folder to any static web host (serving .wasm as application/wasm) and open index.html. A browser with WebGL 2, float render targets and Web Audio.
EOF
        if [ -f "$dir/halvo-$version.mp4" ]; then
            cat <<EOF

  Video     halvo-$version.mp4
EOF
            wrapped 12 <<EOF
The whole show at 640 x 360 with its sound, for those who cannot run it.
EOF
        fi
        cat <<EOF

CONTROLS -----------------------------------------------------------------------

  Before the show, a dialog offers the screen's 16:9 resolutions and
  fullscreen: Enter or "Demo" starts the show, Escape quits.

  Escape      ends the show
  E (held)    reloads every shader from disk (desktop)

CREDITS ------------------------------------------------------------------------

  As the project's history gives them (commits, first and last day):

EOF
        git -C "$tree" log --format='%an%x09%cs' | awk -F '\t' '
            { n[$1]++; if (!($1 in last)) last[$1] = $2; first[$1] = $2 }
            END { for (a in n) printf("%d\t%s\t%s\t%s\n", n[a], a, first[a], last[a]) }' |
            sort -t "$(printf '\t')" -k1,1nr -k2,2 |
            awk -F '\t' '{ printf("  %-40s %5d  %s to %s\n", substr($2, 1, 40), $1, $3, $4) }'
        cat <<EOF

FILES --------------------------------------------------------------------------

EOF
        local f
        for f in "$dir"/*; do
            [ "${f##*/}" = halvo.nfo ] && continue
            printf '  %s  (%s)\n    sha256 %s\n' "${f##*/}" "$(human_size "$(stat -c %s "$f")")" \
                "$(sha256sum "$f" | cut -d' ' -f1)"
        done
        printf '\n================================================================================\n'
    } >"$dir/halvo.nfo"
}

# --- Checking a release -------------------------------------------------------

check() {
    local dir=$1 install=$2
    [ -d "$dir" ] || die "$dir is not a folder"
    dir=$(cd "$dir" && pwd)
    local nfo=$dir/halvo.nfo
    [ -f "$nfo" ] || die "$dir holds no halvo.nfo"
    local deb win web version
    deb=$(cd "$dir" && ls halvo_*_amd64.deb 2>/dev/null) || die "$dir holds no halvo_VERSION_amd64.deb"
    [ "$(wc -l <<<"$deb")" = 1 ] || die "$dir holds more than one package: $deb"
    version=${deb#halvo_}
    version=${version%_amd64.deb}
    win=halvo-$version-win64.zip
    web=halvo-$version-web.zip
    local f
    for f in "$win" "$web" halvo.png; do
        [ -f "$dir/$f" ] || die "$dir holds no $f"
    done

    # The text: 80 columns, and a right checksum for every file, each listed.
    local wide
    wide=$(awk 'length($0) > 80 { print FNR ": " length($0) " columns" }' "$nfo")
    [ -z "$wide" ] || die "halvo.nfo is wider than 80 columns: $wide"
    grep -qF "$version" "$nfo" || die "halvo.nfo does not name the version $version"
    local listed=0
    for f in "$dir"/*; do
        f=${f##*/}
        [ "$f" = halvo.nfo ] && continue
        case $f in
        "$deb" | "$win" | "$web" | halvo.png | "halvo-$version.mp4") ;;
        *) die "$f is not part of a release" ;;
        esac
        local sum
        sum=$(awk -v f="$f" '$1 == f { getline; if ($1 == "sha256") print $2 }' "$nfo")
        [ -n "$sum" ] || die "halvo.nfo gives no sha256 of $f"
        [ "$sum" = "$(sha256sum "$dir/$f" | cut -d' ' -f1)" ] || die "$f does not match its sha256 in halvo.nfo"
        listed=$((listed + 1))
    done
    [ "$(grep -c '^    sha256 ' "$nfo")" = "$listed" ] || die "halvo.nfo lists files that are not in $dir"

    local work=$scratch

    # Windows: one folder, an exe importing only Windows' own DLLs, only the
    # shaders the show reads.
    unzip -q "$dir/$win" -d "$work/win" || die "$win does not unpack"
    local exe
    exe=$(find "$work/win" -name halvo.exe)
    [ -n "$exe" ] || die "$win holds no halvo.exe"
    local dll imports
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print toupper($3) }') ||
        die "cannot read halvo.exe's imports (x86_64-w64-mingw32-objdump, tools/install-deps-windows.sh)"
    grep -qx KERNEL32.DLL <<<"$imports" || die "no imports read from halvo.exe in $win"
    for dll in $imports; do
        case $dll in
        GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | OPENGL32.DLL | SHELL32.DLL | USER32.DLL | WINMM.DLL) ;;
        *) die "halvo.exe in $win imports $dll, which is not part of Windows" ;;
        esac
    done
    [ -f "$(dirname "$exe")/data/nostalgia-rmx.mp3" ] || die "$win holds no tune beside halvo.exe"
    [ -z "$(find "$work/win" -name 'hud.*')" ] || die "$win holds edit mode's shaders"

    # The site.
    unzip -q "$dir/$web" -d "$work/web" || die "$web does not unpack"
    for f in index.html index.js index.wasm index.data; do
        [ -n "$(find "$work/web" -name "$f")" ] || die "$web holds no $f"
    done

    # The screenshot.
    [ "$(identify -format '%m %w x %h' "$dir/halvo.png")" = "PNG 1280 x 720" ] ||
        die "halvo.png is not a 1280 x 720 PNG"

    # The package: its control fields, the libraries dpkg-shlibdeps found, its
    # files, and what lintian says.
    local field value
    while IFS='=' read -r field value; do
        [ "$(dpkg-deb -f "$dir/$deb" "$field")" = "$value" ] || die "$deb: $field is not $value"
    done <<EOF
Package=halvo
Version=$version
Architecture=amd64
Section=games
Priority=optional
EOF
    for field in Maintainer Description Installed-Size; do
        [ -n "$(dpkg-deb -f "$dir/$deb" "$field")" ] || die "$deb has no $field"
    done
    local depends
    depends=$(dpkg-deb -f "$dir/$deb" Depends)
    for f in libc6 libglfw3 libmpg123-0 libsdl2 libgtk-3-0; do
        grep -q "\\b$f" <<<"$depends" || die "$deb does not depend on $f: $depends"
    done
    local contents
    contents=$(dpkg-deb -c "$dir/$deb" | awk '{ print substr($6, 2) }')
    for f in /usr/games/halvo /usr/lib/games/halvo/halvo /usr/share/games/halvo/data/nostalgia-rmx.mp3 \
        /usr/share/games/halvo/data/shaders/trivial.vs /usr/share/games/halvo/data-2Fscience_e.track \
        /usr/share/applications/halvo.desktop /usr/share/icons/hicolor/16x16/apps/halvo.png \
        /usr/share/icons/hicolor/256x256/apps/halvo.png /usr/share/doc/halvo/copyright; do
        grep -qx "$f" <<<"$contents" || die "$deb holds no $f"
    done
    grep -q 'hud\.' <<<"$contents" && die "$deb holds edit mode's shaders"
    lintian --tag-display-limit 0 "$dir/$deb" >"$work/lintian.txt" 2>&1 || true
    if grep -q '^E: ' "$work/lintian.txt"; then
        cat "$work/lintian.txt" >&2
        die "lintian finds errors in $deb"
    fi

    if [ "$install" = 1 ]; then
        HALVO_BUILD="$tree/build" HALVO_SOURCE="$tree" bash "$tree/tests/e2e/deb_install.sh" "$dir/$deb" ||
            die "the package does not install, run and remove cleanly"
    fi
    echo "release: $dir checks out (version $version, $listed files, lintian: $(grep -c '^W: ' "$work/lintian.txt") warnings)"
}

# --- Making a release ---------------------------------------------------------

make_release() {
    local video=$1
    cd "$tree"
    [ -z "$(git status --porcelain 2>/dev/null)" ] ||
        echo "release: the tree has changes that are not committed; the version names the last commit" >&2
    ./tools/install-deps.sh
    ./tools/build.sh
    local version
    version=$(cat build/version.txt)
    ./tools/build-windows.sh
    ./tools/build-web.sh

    rm -rf dist
    mkdir -p dist
    local stage=$scratch

    (cd build && rm -rf package && cpack -G DEB >"$stage/cpack.log") || { cat "$stage/cpack.log" >&2; die "cpack failed"; }
    cp "build/package/halvo_${version}_amd64.deb" dist/ || die "cpack made no halvo_${version}_amd64.deb"
    cp build-win/halvo-win64.zip "dist/halvo-$version-win64.zip"
    mkdir "$stage/halvo-web"
    cp -R build-web/site/. "$stage/halvo-web/"
    (cd "$stage" && cmake -E tar cf "$tree/dist/halvo-$version-web.zip" --format=zip halvo-web)

    # The drop lands at 117.25 s; half a second in, with a second of history.
    xvfb-run -a build/halvo-capture --out "$stage/shot" --from 116.8 --to 117.8 --fps 10 \
        --size 1280x720 --no-preroll 2>"$stage/capture.log" || { cat "$stage/capture.log" >&2; die "the screenshot failed"; }
    cp "$(ls "$stage"/shot/frame-*.png | tail -n 1)" dist/halvo.png

    if [ "$video" = 1 ]; then
        ./tools/make-video.sh build/video
        cp build/video/halvo.mp4 "dist/halvo-$version.mp4"
    fi
    write_nfo dist "$version"
    echo "release: dist/ holds halvo $version:" >&2
    ls -l dist >&2
}

case "${1-}" in
--check)
    [ $# -ge 2 ] || die "usage: release.sh --check DIR [--install]"
    install=0
    [ "${3-}" = --install ] && install=1
    check "$2" "$install"
    ;;
--video) make_release 1 ;;
"") make_release 0 ;;
*) die "usage: release.sh [--video] | --check DIR [--install]" ;;
esac
