#!/usr/bin/env bash
# The update against a server that sends header lines without end, then
# against none at all: each check ends with the connection error (the first
# within its bound), the settings stay as they were and the window takes
# commands again.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
e2e_install_window_program
MAIN="Kestrune v2.01"
REMINDER='It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?'
CONNECTION_ERROR='Error Connecting to Kestrune server , Please be sure you are connected to the internet and that no firewall is active that might be preventing Kestrune from accessing the internet.'

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
export KESTRUNE_UPDATE_SERVER=127.0.0.1:$port
python3 "$KESTRUNE_SOURCE/tests/support-programs/http_test_server.py" --endless-headers "$port" \
    > "$E2E_WORK/endless.port" 2>&1 &
endless=$!
E2E_PIDS+=("$endless")
for ((i = 0; i < 100; i++)); do [ -s "$E2E_WORK/endless.port" ] && break; sleep 0.05; done

start_kestrune
pid=$E2E_LAST_PID
check "main window opens" drive wait-window "$MAIN" 30000
drive answer "$REMINDER" NO 10000 >/dev/null
rfp=$(setting rfp)

say "a server that sends header lines without end"
started=$(date +%s)
drive click "$MAIN" IDC_UPDATE
expect_eq "connection error at the bound, caption" "Error" \
    "$(drive answer "$CONNECTION_ERROR" OK 90000)"
took=$(($(date +%s) - started))
check "the check ends within its bound (took $took s: 3 s wait + 30 s)" [ "$took" -le 45 ]
expect_eq "rfp kept after the endless headers" "$rfp" "$(setting rfp)"
kill "$endless"; wait "$endless" 2>/dev/null

say "the server is gone"
drive click "$MAIN" IDC_UPDATE
expect_eq "connection error, caption" "Error" "$(drive answer "$CONNECTION_ERROR" OK 20000)"
expect_eq "buttons enabled after the failed check" "visible=1 enabled=1" "$(drive state "$MAIN" IDC_SCAN)"
expect_eq "rfp kept after the failed check" "$rfp" "$(setting rfp)"
drive menu "$MAIN" ID_FILE_EXIT
wait_exit "$pid" 20
check "the program ends" [ $? -ne 124 ]
e2e_finish
