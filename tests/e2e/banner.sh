# halvo-banner draws exactly the banner that is committed and compiled into
# the setup dialog: 315 x 157, 24 bits per pixel.
source "$(dirname "$0")/lib.sh"
committed="$HALVO_SOURCE/app/resources/banner.png"
"$HALVO_BUILD/halvo-banner" "$WORK/banner.png" || fail "halvo-banner failed"
cmp -s "$WORK/banner.png" "$committed" ||
    fail "app/resources/banner.png differs from what halvo-banner draws; regenerate it"
expect_eq "$(identify -format '%w x %h, %[channels], %z bits' "$committed")" \
    "315 x 157, srgb, 8 bits" "banner format"
echo "banner: matches"
