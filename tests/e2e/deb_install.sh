# The Debian package as a user meets it, as root on this machine: apt-get
# installs it; `halvo`, started from an empty folder, shows its dialog and,
# accepted, the show, which Escape ends with 0; apt-get remove then leaves
# none of its files behind.
#   deb_install.sh PACKAGE.deb   (HALVO_BUILD and HALVO_SOURCE set, as for
#                                 the other end-to-end tests)
source "$(dirname "$0")/lib.sh"
deb=$(realpath "${1:?usage: deb_install.sh PACKAGE.deb}")
[ "$(id -u)" -eq 0 ] || fail "installing the package needs root"
installed() {
    dpkg-query -W -f='${db:Status-Status}' halvo 2>/dev/null | grep -qx installed
}
installed && fail "halvo is installed already; remove it first (apt-get remove halvo)"
trap 'installed && apt-get remove -y -qq halvo >/dev/null 2>&1; cleanup' EXIT

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends "$deb" >"$WORK/apt.out" 2>&1 ||
    fail "apt-get install failed: $(tail -n 5 "$WORK/apt.out")"
for f in /usr/games/halvo /usr/lib/games/halvo/halvo; do
    [ -x "$f" ] || fail "$f is not installed as a program"
done
for f in /usr/share/games/halvo/data/nostalgia-rmx.mp3 /usr/share/games/halvo/data-2Fscience_e.track \
    /usr/share/applications/halvo.desktop /usr/share/icons/hicolor/256x256/apps/halvo.png; do
    [ -f "$f" ] || fail "$f is not installed"
done

start_x
mkdir "$WORK/empty"
(cd "$WORK/empty" && exec env PATH="/usr/games:$PATH" halvo) >"$WORK/demo.out" 2>"$WORK/demo.err" &
DEMO_PID=$!
accept_dialog || fail "halvo ended without showing its setup dialog"
wait_window
sleep 3
kill -0 "$DEMO_PID" 2>/dev/null || fail "the show ended by itself 3 s in"
grep -v '^halvo: no audio device' "$WORK/demo.err" | grep -q . && fail "the show complained"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Halvo$' | head -n 1)" key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"
[ -z "$(ls -A "$WORK/empty")" ] || fail "halvo wrote into the folder it was started from"

apt-get remove -y -qq halvo >"$WORK/apt.out" 2>&1 || fail "apt-get remove failed: $(tail -n 5 "$WORK/apt.out")"
installed && fail "halvo is still installed"
left=
while read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # Folders other packages share may stay; the package's own may not.
    [ -d "$path" ] && ! [[ "$path" == */halvo || "$path" == */halvo/* ]] && continue
    left+=" $path"
done < <(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | grep .)
[ -z "$left" ] || fail "apt-get remove left behind:$left"
echo "deb install: installed, started from an empty folder, ended with Escape, removed cleanly"
