# The capture tool's contact sheet: the requested grid of thumbnails, each
# with a label strip under it written in light ink. The first pattern scene
# is shown alone, so that no tile depends on where the show's scenes fall.
source "$(dirname "$0")/lib.sh"
start_x
cd "$WORK"

"$HALVO_BUILD/halvo-capture" --sheet s.png --frames 5 --size 320x180 --fps 10 --from 8 --to 40 \
    --no-preroll --effect pattern >s.out 2>s.err || fail "capture failed: $(tail -n 3 s.err)"

# 5 tiles: 3 columns, 2 rows of 320 x 180 thumbnails with 22-pixel label
# strips, 8 pixels apart; a strip on top carries the no-preroll note.
gap=8 tw=320 th=180 label=22 note=22
expect_eq "$(identify -format '%w %h' s.png)" \
    "$((gap + 3 * (tw + gap))) $((note + gap + 2 * (th + label + gap)))" "sheet size"

# Region statistics of the sheet: max and mean brightness.
stat() {
    convert s.png -crop "$1" +repage -colorspace gray -format "%[fx:maxima] %[fx:mean]\n" info:
}
for tile in 0 1 2 3 4; do
    x=$((gap + tile % 3 * (tw + gap)))
    y=$((note + gap + tile / 3 * (th + label + gap)))
    read -r max mean < <(stat "${tw}x${th}+${x}+${y}")
    awk -v m="$mean" 'BEGIN { exit !(m > 0.04) }' || fail "tile $tile is nearly black ($mean)"
    read -r max mean < <(stat "$((tw - 8))x14+$((x + 4))+$((y + th + 4))")
    awk -v m="$max" -v a="$mean" 'BEGIN { exit !(m > 0.85 && a > 0.05 && a < 0.5) }' ||
        fail "tile $tile has no label (max $max, mean $mean)"
done
# The sixth cell is empty sheet.
read -r max mean < <(stat "${tw}x$((th + label))+$((gap + 2 * (tw + gap)))+$((note + 2 * gap + th + label))")
awk -v m="$max" 'BEGIN { exit !(m < 0.1) }' || fail "the empty cell is not empty ($max)"
# And the note strip says so.
read -r max mean < <(stat "400x14+0+4")
awk -v m="$max" 'BEGIN { exit !(m > 0.85) }' || fail "no note above the grid"
echo PASS
