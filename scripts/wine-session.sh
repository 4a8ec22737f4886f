# Sourced by the scripts that run Windows programs under Wine: a fresh prefix of the run's own
# (on tmpfs when there is one: it is 700 MB of small files) and one wineserver for the run, so
# that each Windows process starts in a tenth of a second rather than three. However the script
# ends, the server is stopped and the prefix removed.
#
#     . scripts/wine-session.sh
#     start_wine_session        # exports WINEPREFIX, WINEDEBUG; sets an EXIT trap
#     restart_wine_server       # saves the registry to the prefix's files, starts it again

wine_scratch=/dev/shm
[ -d "$wine_scratch" ] && [ -w "$wine_scratch" ] || wine_scratch="${TMPDIR:-/tmp}"

start_wine_session() {
    wine_run_folder=$(mktemp -d "$wine_scratch/vantrel-wine.XXXXXX")
    export WINEPREFIX="$wine_run_folder/prefix"
    export WINEDEBUG="${WINEDEBUG:--all}"
    trap 'wineserver -k 2>/dev/null || true; rm -rf "$wine_run_folder"' EXIT
    local started=$SECONDS
    "$(dirname "${BASH_SOURCE[0]}")/../tests/win32/run-under-wine.sh" "$WINEPREFIX"
    start_wine_server
    echo "Wine prefix ready in $((SECONDS - started)) s: $WINEPREFIX"
}

# Wine's services inherit the output of the process that starts them and keep it open: they are
# started here, with their output going nowhere, before anyone reads a Windows program's output.
start_wine_server() {
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}

# The server keeps the registry in memory and writes system.reg when it stops.
restart_wine_server() {
    wineserver -k
    wineserver -w
    start_wine_server
}
