#!/usr/bin/env bash
# Loudness of the tune per bar and per section, from ffmpeg's EBU R128 meter:
# the mean momentary loudness (400 ms windows every 100 ms) of each bar, each
# section's integrated loudness, the drop against the build-up's last two bars
# and the theme, the largest rise once the final fade has begun, and the true peak.
#
#   tools/tune/loudness.sh build/show/data/nostalgia-rmx.mp3 [FADE_BAR]
#
# A bar's windows are those lying wholly inside it, and windows under -70 LUFS
# (silence) are left out. The build-up's last two bars are bars 62 and 63 up to
# the silent beat (63.75): the windows of that beat are not counted.
# FADE_BAR (0 to 97, default 96) is the bar where the tune's last fade begins.
# A figure whose bars the file does not reach (a short excerpt) reads "n/a".
# Anything that is not a tune (missing, a folder, a FIFO, no sound ffmpeg can
# decode) is one line on stderr and exit 1; ffmpeg never outlives the script.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 TUNE.mp3|TUNE.wav [FADE_BAR]" >&2
    exit 2
fi
die() {
    echo "loudness.sh: $*" >&2
    exit 1
}
tune=$1
fade=${2:-96}
[[ $fade =~ ^[0-9]{1,2}$ ]] && ((10#$fade <= 97)) || die "FADE_BAR '$fade' is not a bar from 0 to 97"
# Looked at before ffmpeg opens it: a FIFO would keep it waiting for a writer.
[ -e "$tune" ] || die "$tune: no such file"
[ ! -d "$tune" ] || die "$tune: a directory, not a tune"
[ -f "$tune" ] || die "$tune: not a regular file"
[ -r "$tune" ] || die "$tune: cannot be read"

log=$(mktemp)
err=$(mktemp)
ffmpeg_pid=
# ffmpeg finishes its current step on SIGTERM, which a blocking read may never
# end: after a second it is killed.
cleanup() {
    if [ -n "$ffmpeg_pid" ]; then
        kill "$ffmpeg_pid" 2>/dev/null || true
        for _ in {1..10}; do
            kill -0 "$ffmpeg_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$ffmpeg_pid" 2>/dev/null || true
    fi
    rm -f "$log" "$err"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# In the background, so that a signal reaches the traps at once and they stop it.
ffmpeg -hide_banner -nostats -nostdin -i "$tune" -map 0:a:0 \
    -af "ebur128=metadata=1:peak=true,ametadata=mode=print:key=lavfi.r128.M:file=$log" \
    -f null - 2>"$err" &
ffmpeg_pid=$!
status=0
wait "$ffmpeg_pid" || status=$?
ffmpeg_pid=
if [ "$status" != 0 ]; then
    why=$(tail -n 1 "$err")
    ! grep -q "matches no streams" "$err" || why="no audio stream"
    die "$tune: no sound ffmpeg can read ($why)"
fi
peak=$(awk '/True peak:/ { p = 1 } p && /Peak:/ { print $2; exit }' "$err")
awk -v fade="$fade" -v peak="$peak" -v tune="$tune" '
function energy(m) { return 10 ^ ((m + 0.691) / 10) }
function lufs(e) { return -0.691 + 10 * log(e) / log(10) }
function barOf(t) { return t * 131 / 240 } # seconds to bars at 131 BPM
function figure(format, value, known) { return known ? sprintf(format, value) : "n/a" }
BEGIN {
    split("intro arp beat groove theme answer breakdown build-up drop drop-2 break-2 outro ring-out", names)
}
/pts_time/ { sub("pts_time:", "", $3); t = $3 + 0; next }
/lavfi.r128.M=/ {
    sub("lavfi.r128.M=", "")
    m = $0 + 0
    if ($0 == "nan" || m < -70) next
    first = barOf(t - 0.3)
    last = barOf(t + 0.1)
    bar = int(first)
    if (last > bar + 1) next # straddles a bar line
    if (bar == 63 && last > 63.75) next # the silent beat before the drop
    sum[bar] += m; count[bar]++; measured++
    s = int(bar / 8) + 1
    blocks[s, ++n[s]] = energy(m)
}
END {
    if (!measured) {
        print "loudness.sh: " tune ": no sound above -70 LUFS" > "/dev/stderr"
        exit 1
    }
    printf "bar  section    M (LUFS, bar mean)\n"
    for (b = 0; b < 98; b++)
        if (count[b]) {
            mean[b] = sum[b] / count[b]
            printf "%3d  %-9s  %6.1f\n", b, names[int(b / 8) + 1], mean[b]
        }
    printf "\nsection    integrated  M mean\n"
    for (s = 1; s <= 13; s++) {
        if (!n[s]) {
            printf "%-9s  %6s      %6s\n", names[s], "n/a", "n/a"
            continue
        }
        # Integrated: gated at -70 LUFS (done above), then 10 LU under the mean.
        e = 0
        for (i = 1; i <= n[s]; i++) e += blocks[s, i]
        threshold = lufs(e / n[s]) - 10
        e = 0; k = 0
        for (i = 1; i <= n[s]; i++)
            if (lufs(blocks[s, i]) > threshold) { e += blocks[s, i]; k++ }
        integrated[s] = lufs(e / k)
        m = 0; k = 0
        for (b = (s - 1) * 8; b < s * 8 && b < 98; b++)
            if (count[b]) { m += mean[b]; k++ }
        barMean[s] = m / k
        printf "%-9s  %6.1f      %6.1f\n", names[s], integrated[s], barMean[s]
    }
    built = count[62] + count[63] > 0
    if (built) build = (sum[62] + sum[63]) / (count[62] + count[63])
    dropped = 0
    for (b = 64; b < 72; b++)
        if (count[b] && (!dropped++ || mean[b] - build < lowest)) lowest = mean[b] - build
    printf "\ndrop over the build-up'\''s bars 62-63.75: %s (bar means; quietest drop bar %s)\n", figure("%+.1f LU", barMean[9] - build, built && n[9]), figure("%+.1f", lowest, built && dropped)
    both = n[9] && n[5]
    printf "drop over the theme: %s integrated, %s bar means\n", figure("%+.1f LU", integrated[9] - integrated[5], both), figure("%+.1f LU", barMean[9] - barMean[5], both)
    rise = 0; bars = 0
    for (i = fade; i < 98; i++) {
        bars += count[i] > 0
        for (j = i + 1; j < 98; j++)
            if (count[i] && count[j] && mean[j] - mean[i] > rise) rise = mean[j] - mean[i]
    }
    printf "largest rise from bar %d on: %s\n", fade, figure("%.1f LU", rise, bars > 1)
    printf "true peak: %s dBTP\n", peak == "" ? "n/a" : peak
}' "$log"
