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
# FADE_BAR (default 96) is the bar where the tune's last fade begins.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 TUNE.mp3|TUNE.wav [FADE_BAR]" >&2
    exit 2
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
peak=$(ffmpeg -hide_banner -nostats -i "$1" \
    -af "ebur128=metadata=1:peak=true,ametadata=mode=print:key=lavfi.r128.M:file=$log" \
    -f null - 2>&1 | awk '/True peak:/ { p = 1 } p && /Peak:/ { print $2; exit }')
awk -v fade="${2:-96}" -v peak="$peak" '
function energy(m) { return 10 ^ ((m + 0.691) / 10) }
function lufs(e) { return -0.691 + 10 * log(e) / log(10) }
function barOf(t) { return t * 131 / 240 } # seconds to bars at 131 BPM
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
    sum[bar] += m; count[bar]++
    s = int(bar / 8) + 1
    blocks[s, ++n[s]] = energy(m)
}
END {
    printf "bar  section    M (LUFS, bar mean)\n"
    for (b = 0; b < 98; b++)
        if (count[b]) {
            mean[b] = sum[b] / count[b]
            printf "%3d  %-9s  %6.1f\n", b, names[int(b / 8) + 1], mean[b]
        }
    printf "\nsection    integrated  M mean\n"
    for (s = 1; s <= 13; s++) {
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
    build = (sum[62] + sum[63]) / (count[62] + count[63])
    lowest = 0
    for (b = 64; b < 72; b++) {
        rise = mean[b] - build
        if (b == 64 || rise < lowest) lowest = rise
    }
    printf "\ndrop over the build-up'\''s bars 62-63.75: %+.1f LU (bar means; quietest drop bar %+.1f)\n", barMean[9] - build, lowest
    printf "drop over the theme: %+.1f LU integrated, %+.1f LU bar means\n", integrated[9] - integrated[5], barMean[9] - barMean[5]
    rise = 0
    for (i = fade; i < 98; i++)
        for (j = i + 1; j < 98; j++)
            if (count[i] && count[j] && mean[j] - mean[i] > rise) rise = mean[j] - mean[i]
    printf "largest rise from bar %d on: %.1f LU\n", fade, rise
    printf "true peak: %s dBTP\n", peak
}' "$log"
