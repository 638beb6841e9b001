# tools/build.sh on a build folder configured by hand with another generator
# (plain `cmake -S . -B build` gives Unix Makefiles) builds with that one, and
# a new build folder gets Ninja. Runs the script in a stand-in project whose
# dependency step does nothing.
set -euo pipefail
: "${HALVO_SOURCE:?HALVO_SOURCE must point at the source directory}"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for configured in "Unix Makefiles" ""; do
    project="$WORK/project-${configured:-new}"
    mkdir -p "$project/tools"
    cp "$HALVO_SOURCE/tools/build.sh" "$project/tools/"
    printf '#!/bin/sh\n' >"$project/tools/install-deps.sh"
    chmod +x "$project/tools/install-deps.sh"
    printf '%s\n' 'cmake_minimum_required(VERSION 3.16)' 'project(probe NONE)' \
        'add_custom_target(probe ALL COMMAND ${CMAKE_COMMAND} -E touch built)' \
        >"$project/CMakeLists.txt"
    if [ -n "$configured" ]; then
        cmake -S "$project" -B "$project/build" -G "$configured" >/dev/null
    fi
    "$project/tools/build.sh" >"$WORK/out.txt" 2>&1 || fail "build.sh failed: $(cat "$WORK/out.txt")"
    [ -f "$project/build/built" ] || fail "nothing was built"
    generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$project/build/CMakeCache.txt")
    [ "$generator" = "${configured:-Ninja}" ] || fail "generator is '$generator'"
done
echo "build.sh keeps the build folder's generator"
