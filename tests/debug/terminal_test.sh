#!/bin/sh
# Drives Run8085 --debug on a real terminal (a tmux pane), as a person would:
# the prompt shows, a line is edited (Ctrl-A to its start, a letter put in
# front), the history gives the last line back (Up), the registers a step
# changed are shown in bold, and Ctrl-C stops an endless continue and a
# long reverse-continue and comes back to the prompt. Exit 77 (skipped) without tmux.
#
#   terminal_test.sh RUN8085 PROGRAM.BIN [plain]
#
# With "plain" (Run8085 built without libedit) the line is typed whole and
# the history is not tried.
set -u
run8085=$1
program=$2
editing=${3:-libedit}
command -v tmux >/dev/null 2>&1 || { echo "tmux is not installed: skipped"; exit 77; }
session=debug-terminal-$$
socket=debug-terminal-$$
t() { tmux -L "$socket" "$@"; }
trap 't kill-server >/dev/null 2>&1' EXIT INT TERM

t new-session -d -s "$session" -x 120 -y 30 "$run8085 --debug --max-steps 0 --load $program@2000 --pc 2000"
# Waits until the pane shows text (a fixed string), for at most five seconds.
wait_for() {
    for _ in $(seq 50); do
        t capture-pane -p -t "$session" | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    echo "the terminal never showed '$1'; it shows:"
    t capture-pane -p -t "$session"
    exit 1
}
wait_for "(8085)"
# "tep", then to the start of the line and an "s" before it: "step".
if [ "$editing" = plain ]; then
    t send-keys -t "$session" "step" Enter
else
    t send-keys -t "$session" "tep" C-a "s" Enter
fi
wait_for "2003: MVI B, 03H"
# Up brings back "step"; Enter runs it again.
if [ "$editing" = plain ]; then
    t send-keys -t "$session" "step" Enter
else
    t send-keys -t "$session" Up Enter
fi
wait_for "2005: LXI H, 2050H"
screen=$(t capture-pane -e -p -t "$session")
# The second step changed PC and B: both bold, A not.
last=$(printf '%s\n' "$screen" | grep "SP=3000" | tail -1)
printf '%s\n' "$last" | grep -q "$(printf '\033')\[1mPC=2005" || { echo "PC is not marked: $last"; exit 1; }
printf '%s\n' "$last" | grep -q "$(printf '\033')\[1mB=03" || { echo "B is not marked: $last"; exit 1; }
printf '%s\n' "$last" | grep -q "$(printf '\033')\[1mA=" && { echo "A is marked though unchanged: $last"; exit 1; }
# Tab completes a register name ("$ps" alone names none).
if [ "$editing" != plain ]; then
    t send-keys -t "$session" "print \$ps" Tab Enter
    wait_for '$psw = '
fi
# An endless loop (JMP to itself where the HLT was), run until Ctrl-C.
t send-keys -t "$session" "set [2017H] = 0C3H" Enter "set [2018H] = 17H" Enter "set [2019H] = 20H" Enter
t send-keys -t "$session" "continue" Enter
sleep 1
t send-keys -t "$session" C-c
wait_for "interrupted"
# Going back over all of that with a watchpoint searches the history one
# instruction at a time, for minutes: Ctrl-C stops it too.
t send-keys -t "$session" "watch [3000H]" Enter "reverse-continue" Enter
sleep 1
t send-keys -t "$session" C-c
for _ in $(seq 50); do
    [ "$(t capture-pane -p -S -200 -t "$session" | grep -c 'interrupted$')" -ge 2 ] && break
    sleep 0.1
done
[ "$(t capture-pane -p -S -200 -t "$session" | grep -c 'interrupted$')" -ge 2 ] || {
    echo "Ctrl-C did not stop reverse-continue; the terminal shows:"
    t capture-pane -p -t "$session"
    exit 1
}
t send-keys -t "$session" "quit" Enter
for _ in $(seq 50); do
    t has-session -t "$session" 2>/dev/null || exit 0
    sleep 0.1
done
echo "Run8085 did not end at quit"
exit 1
