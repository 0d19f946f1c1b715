#!/usr/bin/env bash
# The frame-rate cap and the battery, on X11: --fps 15 presents at most 15
# frames a second; on a system bus of the test's own, with UPower's
# stand-in, the presents a second follow the battery within a second (60,
# 30 on battery, 60 on mains again), UPower starting after the program
# included; with no bus or no UPower the program runs at 60 and says
# nothing.
source "$(dirname "$0")/harness.sh"
command -v dbus-daemon >/dev/null && command -v dbus-send >/dev/null || skip "dbus-daemon and dbus-send"
dbusmock_python >/dev/null || skip "python3-dbusmock"
stage_program
start_xvfb 1024x768

# The program presents from $1 to $2 times a second, a second after what
# changed it (writes_a_second; a present in 15 brings a write more).
presents() {
  local rate
  sleep 1
  rate=$(writes_a_second "$APP_PID")
  echo "  ($rate a second)"
  ((rate >= $1 && rate <= $2))
}

export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/no_bus"
check "--fps 15: started" run_app "$APP" --fps 15
check "--fps 15: at most 15 presents a second" presents 10 17
check "no system bus: started" run_app "$APP"
check "no system bus: 60 presents a second" presents 45 66
end_app
check "no system bus: nothing on stderr" test ! -s "$WORK/stderr"

check "a system bus without UPower" start_system_bus
check "no UPower: started" run_app "$APP"
check "no UPower: 60 presents a second" presents 45 66
check "UPower starts, on battery" start_upower true
check "on battery: 30 presents a second" presents 24 36
set_on_battery false
check "back on mains: 60 again" presents 45 66
set_on_battery true
check "on battery again: 30" presents 24 36
stop_process "$UPOWER_PID"
check "UPower gone: as on mains" presents 45 66
check "still running" alive
end_app
check "no UPower: nothing on stderr" test ! -s "$WORK/stderr"
finish
