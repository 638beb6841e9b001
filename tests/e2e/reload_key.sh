# Holding E reloads every shader once per frame and prints "Reload done!"
# after each reload; a short tap still reloads once; the show keeps running.
source "$(dirname "$0")/lib.sh"
start_x
make_show

reloads() { grep -c '^Reload done!$' "$WORK/demo.out" || true; }

# Without track "e" only Escape ends the show.
start_demo
wait_window
xdotool search --onlyvisible --name '^Halvo$' windowfocus --sync >/dev/null 2>&1 || true
# Each pass built at start-up prints "Linked" once; a reload rebuilds each
# once. The passes are built after the window opens: start-up is over once
# no pass has been linked for two seconds.
linked() { grep -c '^Linked$' "$WORK/demo.out" || true; }
passes=$(linked)
for _ in $(seq 30); do
    sleep 2
    [ "$(linked)" = "$passes" ] && [ "$passes" -gt 0 ] && break
    passes=$(linked)
done
expect_eq "$(reloads)" 0 "reloads before E was pressed"

# Each reload rebuilds every pass of the show, and the software renderer
# compiles them again on their next draw: a few reloads a second.
xdotool keydown e
sleep 3
xdotool keyup e
sleep 1.5
held=$(reloads)
[ "$held" -ge 4 ] || fail "only $held reloads while E was held for 3 s"
kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended while E was held"

sleep 1
expect_eq "$(reloads)" "$held" "reloads after E was released"

xdotool key e
sleep 0.5
tapped=$(($(reloads) - held))
[ "$tapped" -ge 1 ] || fail "a tap of E did not reload"

# Every "Reload done!" closes exactly one reload of every pass (the first
# also follows the start-up build of each pass).
awk -v passes="$passes" '
    /^Linked$/ { linked++ }
    /^Reload done!$/ {
        if (linked != (seen ? passes : 2 * passes)) bad = 1
        seen = 1
        linked = 0
    }
    END { exit bad }' "$WORK/demo.out" ||
    fail "a reload did not rebuild each of the $passes passes exactly once"

xdotool key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"
