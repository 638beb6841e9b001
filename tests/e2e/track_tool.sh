# The track tool as a demo maker uses it: compile text sources, evaluate,
# dump back to text, name files, and clear errors for bad input; it and the
# choreography tool end at once on hostile input.
set -euo pipefail
: "${HALVO_BUILD:?HALVO_BUILD must point at the build directory}"
T="$HALVO_BUILD/halvo-track"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
expect_eq() {
    [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# Compile, then evaluate at rows including negative ones.
mkdir src
printf '%s\n' '# a fade' '0 0 linear' '10 1 smooth' '20 3' >src/fade-in.txt
"$T" compile out src/fade-in.txt || fail "compile failed"
FILE=out/data-2Fscience_fade-2Din.track
[ -f "$FILE" ] || fail "no $FILE"
expect_eq "$("$T" eval "$FILE" -5.5 0 5 12 -1e9 20 99 | tr '\n' ' ')" "0 0 0.5 1.208 0 3 3 " "eval"
expect_eq "$("$T" path fade-in)" "data-2Fscience_fade-2Din.track" "path"
expect_eq "$("$T" path 'a b:c')" "data-2Fscience_a-20b-3Ac.track" "path with odd bytes"

# dump -> compile gives the same file byte for byte.
"$T" dump "$FILE" >src/again.txt || fail "dump failed"
"$T" compile back src/again.txt || fail "compiling the dump failed"
cmp -s "$FILE" back/data-2Fscience_again.track || fail "dump does not compile back to the same file"

# A bad source names file and line, writes nothing and fails.
printf '%s\n' '0 0' '40 1' '12 2' >src/bad.txt
status=0
"$T" compile out2 src/fade-in.txt src/bad.txt 2>err.txt || status=$?
expect_eq "$status" 1 "exit code of a bad source"
expect_eq "$(cat err.txt)" "halvo-track: src/bad.txt:3: rows must ascend (12 after 40)" "error message"
[ ! -e out2 ] || fail "a failed compile wrote files"

# A source without keys compiles to a track that is 0 everywhere, with a warning.
printf '# nothing yet\n' >src/empty.txt
"$T" compile empty src/empty.txt 2>err.txt || fail "a source without keys does not compile"
expect_eq "$(cat err.txt)" "halvo-track: src/empty.txt: no keys; track 'empty' is 0 everywhere" \
    "warning for a source without keys"

# A missing file evaluates to 0 with a warning; a lying count is warned about.
expect_eq "$("$T" eval nowhere.track 3 2>err.txt)" "0" "missing file"
grep -q "nowhere.track: cannot open" err.txt || fail "no warning for a missing file"
# count 2^31-1, then one key: row 0, value 1.0, step
printf '\xff\xff\xff\x7f\x00\x00\x00\x00\x00\x00\x80\x3f\x00' >lie.track
expect_eq "$("$T" eval lie.track 5 2>err.txt)" "1" "file with a lying count"
grep -q "announces 2147483647 keys but holds 1" err.txt || fail "no warning for a lying count"

# Bad arguments: usage on stderr, exit 2.
for args in "" "eval" "eval $FILE x" "frobnicate" "path"; do
    status=0
    # shellcheck disable=SC2086
    "$T" $args >/dev/null 2>err.txt || status=$?
    expect_eq "$status" 2 "exit code of '$args'"
    grep -q "^usage:" err.txt || fail "no usage for '$args'"
done

# Hostile input to halvo-track and halvo-choreo: each run ends within seconds
# (timeout kills a hang with 124) with exit 1 and exactly the one line given.
C="$HALVO_BUILD/halvo-choreo"
mkdir hostile choreo-out
cd hostile
mkfifo fifo.track fifo.txt ../choreo-out/a.txt
ln -s /dev/zero zero.track
ln -s /dev/zero zero.txt
mkdir dir.track
printf 'abc' >junk.track
truncate -s 17M big.track
printf '%s\n' '32 kick' '40 kick' >events
printf '%s\n' '0 kick' '3000000000 kick' >far.events
printf 'a level - 0 2 1\n' >ok.rules
printf 'a level - 0 2 1e300\n' >huge.rules
printf 'a level - 0 2 1\na pulse kick 0 2 1 3e9\n' >long.rules
printf 'a clock kick 0 2 1 2 3e9\n' >long-clock.rules
printf '../x level - 0 2 1\n' >escape.rules
while IFS='|' read -r tool args message; do
    status=0
    # shellcheck disable=SC2086
    timeout 10 "$tool" $args >/dev/null 2>err.txt || status=$?
    expect_eq "$status" 1 "exit code of $(basename "$tool") $args"
    expect_eq "$(cat err.txt)" "$message" "stderr of $(basename "$tool") $args"
done <<EOF
$T|eval fifo.track 1|halvo-track: fifo.track: cannot open (a FIFO, not a regular file); 0 everywhere, as in the demo
$T|dump fifo.track|halvo-track: fifo.track: cannot open (a FIFO, not a regular file)
$T|eval zero.track 1|halvo-track: zero.track: cannot open (a character device, not a regular file); 0 everywhere, as in the demo
$T|dump dir.track|halvo-track: dir.track: cannot open (a directory, not a regular file)
$T|dump junk.track|halvo-track: junk.track: shorter than the 4-byte key count; no keys
$T|dump big.track|halvo-track: big.track: cannot open (17825792 bytes, more than the 16777216 allowed)
$T|compile out fifo.txt|halvo-track: fifo.txt: cannot open (a FIFO, not a regular file)
$T|compile out zero.txt|halvo-track: zero.txt: cannot open (a character device, not a regular file)
$C|fifo.txt ok.rules ../choreo-out|halvo-choreo: cannot read fifo.txt: a FIFO, not a regular file
$C|events zero.txt out|halvo-choreo: cannot read zero.txt: a character device, not a regular file
$C|far.events ok.rules ../choreo-out|far.events:2: row '3000000000' is not a whole number from -2147483648 to 2147483647
$C|events huge.rules ../choreo-out|huge.rules:1: '1e300' is out of range (-1e9 to 1e9)
$C|events long.rules ../choreo-out|long.rules:2: ROWS must be from 1 to 2097152
$C|events long-clock.rules ../choreo-out|long-clock.rules:1: ROWS must be from 1 to 2097152
$C|events escape.rules ../choreo-out|escape.rules:1: track name '../x' must be letters, digits, '-', '_' and '.', not starting with '.'
$C|events ok.rules ../choreo-out|halvo-choreo: cannot write ../choreo-out/a.txt: a FIFO, not a regular file
EOF
[ ! -e ../x.txt ] && [ "$(ls ../choreo-out)" = a.txt ] || fail "halvo-choreo wrote on bad input"
cd ..

# The show's end track fires at row 3128, as the tune's last sound fades.
expect_eq "$("$T" eval "$HALVO_BUILD/show/data-2Fscience_e.track" 3127.99 3128 | tr '\n' ' ')" "0 1 " "end track"
echo "track tool: ok"
