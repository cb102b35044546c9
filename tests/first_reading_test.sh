#!/usr/bin/env bash
# Nothing is counted before the window is on screen, in a real X session: the save file's name
# is taken by a folder, so the load event opens a message about it before the window shows. The
# message stays open for 3 s, then OK: the first reading the window shows is 0:1, or a second
# more for each second the screenshot took, never the time the message was open (0:4 and on).
#
# The reading is taken from the dial, not from the digits: the second hand's direction is
# found by letting its dark pixels vote for the nearest of the sixty second marks, which needs no
# font and no picture of digits. The readout's seconds label only tells whether the first tick
# has come yet: it shows the designed word "Seconds" until then, a number of one or two digits
# after. Since the reading can only grow by one a second after the window shows, the bound is
# 1 + the whole seconds between pressing OK and the screenshot being taken (at least 2), which
# holds on a loaded machine, where a fixed "at most 0:2" would not.
#
# usage: first_reading_test.sh <stopwatch program> <output folder>
set -u

program=$(realpath "$1")
output=$(realpath "${2:-.}")
shot_name=first_reading_failure.png
source "$(dirname "$0")/x11_session.sh"
command -v import > /dev/null || { echo "FAILED: imagemagick is not installed (scripts/install-deps.sh test)"; exit 1; }

# Client-area origin of the main window on screen: the menu bar sits above the 529 x 407 area.
client_origin() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  cx=$X
  cy=$((Y + HEIGHT - 407))
}

# The second the second hand points at in picture $1, the dial centred at ($2, $3): dark grey
# pixels between 12 and 58 pixels from the centre (inside the face's rim, clear of the red minute
# hand) vote for the nearest of the sixty marks. "none" when no white face or no hand is there.
second_hand_at() {
  local x0=$(($2 - 60)) y0=$(($3 - 60))
  convert "$1" -crop 121x121+$x0+$y0 +repage txt:- | awk -v cx="$2" -v cy="$3" -v x0="$x0" -v y0="$y0" '
    NR > 1 {
      split($1, p, "[,:]"); gsub(/[()]/, "", $2); split($2, c, ",")
      if (c[1] > 240 && c[2] > 240 && c[3] > 240) { white++; next }
      if (c[1] > 110 || c[2] > 110 || c[3] > 110 || c[1] - c[2] > 40) next
      dx = p[1] + x0 - cx; dy = p[2] + y0 - cy; d = sqrt(dx * dx + dy * dy)
      if (d < 12 || d > 58) next
      a = atan2(dx, -dy) * 45 / atan2(1, 1); if (a < 0) a += 360
      votes[int(a / 6 + 0.5) % 60]++
    }
    END {
      best = -1; for (s in votes) if (best < 0 || votes[s] > votes[best]) best = s
      if (white < 5000 || best < 0 || votes[best] < 15) print "none"; else print best
    }'
}

# Width in pixels of the dark marks in picture $1 within the box $4 x $5 at ($2, $3).
ink_width() {
  convert "$1" -crop "$4x$5+$2+$3" +repage txt:- | awk '
    NR > 1 {
      split($1, p, "[,:]"); gsub(/[()]/, "", $2); split($2, c, ",")
      if (c[1] < 110 && c[2] < 110 && c[3] < 110) {
        if (min == "" || p[1] < min) min = p[1]
        if (p[1] > max) max = p[1]
      }
    }
    END { print (min == "" ? 0 : max - min + 1) }'
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

start_display
cd "$work" || fail "no work folder"
mkdir fileClockSave.bin

QT_QPA_PLATFORM=xcb "$program" >> "$work/program.log" 2>&1 &
app_pid=$!
wait_for 150 windows_named '^Bransk - Quorvel - Clock$' > /dev/null ||
  fail "no message about the save file at start-up"
box=$(windows_named '^Bransk - Quorvel - Clock$' | head -n 1)
windows_named '^Stopwatch$' > /dev/null && fail "the window showed before its load event ended"

sleep 3  # the user reads the message; this is the time that must not be counted
xdotool windowfocus --sync "$box" || fail "could not focus the message"
pressed=$(now_ms)
xdotool key --clearmodifiers Return

# Screenshots as fast as they come, from the moment the window is there until the first tick
# shows in it.
reading=none
for ((i = 0; i < 200; i++)); do
  main=$(windows_named '^Stopwatch$' | head -n 1)
  [ -n "$main" ] || { sleep 0.05; continue; }
  client_origin
  screenshot "$work/shot.png" || continue
  taken=$(now_ms)
  [ "$(ink_width "$work/shot.png" $((cx + 312)) $((cy + 296)) 33 25)" -lt 20 ] || continue
  reading=$(second_hand_at "$work/shot.png" $((cx + 200)) $((cy + 133)))
  [ "$reading" != none ] && break
done
[ "$reading" != none ] || fail "no reading appeared on the dial after the message was answered"
cp "$work/shot.png" "$output/first_reading.png"

elapsed=$((taken - pressed))
limit=$((1 + elapsed / 1000))
((limit < 2)) && limit=2
((reading >= 1 && reading <= limit)) ||
  fail "the first reading was 0:$reading, $elapsed ms after OK (at most 0:$limit): the time the message was open was counted"

quit_program
echo "PASSED: with the start-up message open for 3 s, the first reading was 0:$reading, seen $elapsed ms after OK"
