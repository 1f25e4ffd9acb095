#!/usr/bin/env bash
# Records a program's output on the door terminal (80 by 26, TERM=vantora or
# another type, the C locale) with script(1) inside a detached tmux of that
# size, driving it with keys. How the recordings beside this file were made:
#   record.sh NAME "command" key... (tmux send-keys arguments, "sleep:N" waits)
# The typescript's first and last lines (script's own notes) are cut off.
set -euo pipefail
name=$1; command=$2; shift 2
here=$(cd "$(dirname "$0")" && pwd)
terminfo=${TERMINFO_DIR:-/tmp/door-ti}
mkdir -p "$terminfo"
tic -x -o "$terminfo" "$here/../../../tools/vtserve/data/vantora.ti"
raw=$(mktemp)
socket=door-record-$$
tmux -L "$socket" new-session -d -x 80 -y 26 -s rec \
    "env -i PATH=/usr/bin:/bin:/usr/games HOME=${HOME_DIR:-/tmp} TERM=${DOOR_TERM:-vantora} TERMINFO=$terminfo LANG=C LC_ALL=C script -q -E never -c '$command' $raw"
sleep 1
for key in "$@"; do
    case $key in
        sleep:*) sleep "${key#sleep:}" ;;
        *) tmux -L "$socket" send-keys -t rec "$key" 2>/dev/null || true; sleep 0.3 ;;
    esac
done
for _ in $(seq 20); do tmux -L "$socket" has-session -t rec 2>/dev/null || break; sleep 0.5; done
tmux -L "$socket" kill-server 2>/dev/null || true
# Drop script's first line and its closing note.
python3 - "$raw" "$here/$name.typescript" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
data = data[data.index(b'\n') + 1:]
end = data.rfind(b'\nScript done')
if end >= 0:
    data = data[:end]
open(sys.argv[2], 'wb').write(data)
PY
rm -f "$raw"
ls -l "$here/$name.typescript"
