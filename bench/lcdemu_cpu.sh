#!/usr/bin/env bash
# lcdemu's processor use while it paces the show: the show (its stand-in
# clocked without music, build/bin/emu_show_client) runs as lcdemu's child
# for a while; lcdemu's own user and system time is sampled from /proc over
# the middle of the run. Twice: headless, and drawing in a 140x40 terminal
# (tmux, when installed).
#   bench/lcdemu_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
lcdemu=$build/bin/lcdemu
client=$build/bin/emu_show_client
ticks=$(getconf CLK_TCK)
run_ms=$(( (seconds + 2) * 1000 ))

# CPU seconds (user + system) of a process so far.
cpu_of() { awk -v t="$ticks" '{ print ($14 + $15) / t }' "/proc/$1/stat"; }

# Samples lcdemu (the newest whose parent is $1's tree) from second 1 to
# second SECONDS; prints the share of one core.
measure() {
  local pid=$1 a b
  sleep 1
  a=$(cpu_of "$pid")
  sleep "$((seconds - 1))"
  b=$(cpu_of "$pid")
  awk -v a="$a" -v b="$b" -v s="$((seconds - 1))" 'BEGIN { printf "%.2f %% of a core\n", 100 * (b - a) / s }'
}

echo "headless:"
EMU_SHOW_RUN_MS=$run_ms "$lcdemu" --headless -- "$client" 1 >/dev/null 2>&1 &
pid=$!
measure "$pid"
wait "$pid" || true

if command -v tmux >/dev/null; then
  echo "drawing in a 140x40 terminal:"
  session=lcdemu-cpu-$$
  tmux new-session -d -x 140 -y 40 -s "$session" \
    "EMU_SHOW_RUN_MS=$run_ms $lcdemu -- $client 1; sleep 1"
  sleep 0.5
  pid=$(tmux list-panes -t "$session" -F '#{pane_pid}')
  # The pane runs a shell that runs lcdemu.
  lcdemu_pid=$(pgrep -P "$pid" -x lcdemu || echo "$pid")
  echo "  (process $lcdemu_pid: $(cat /proc/$lcdemu_pid/comm))"
  measure "$lcdemu_pid"
  tmux kill-session -t "$session" 2>/dev/null || true
fi
