# Sourced by the scripts that run zentrivo on a private virtual screen: a throw-away home folder
# in $home with the XDG folders inside it, removed on exit together with every process in $pids.
#
#   sandbox PREFIX           makes $home and exports HOME and the XDG folders
#   start_zentrivo BIN LOG   starts zentrivo and waits until it is ready (exits if it is not)

sandbox_cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$home"
}

sandbox() {
    home="$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")"
    pids=()
    trap sandbox_cleanup EXIT
    export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
    export XDG_CACHE_HOME="$home/cache" XDG_DATA_DIRS="$home/share:/usr/local/share:/usr/share"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications"
}

start_zentrivo() {
    "$1" 2>"$2" &
    pids+=($!)
    if ! timeout 30 grep -q -m1 "com-tovelane-Zentrivo ready" <(tail -n +1 -f "$2"); then
        echo "zentrivo did not start; its log ($2):" >&2
        cat "$2" >&2
        exit 1
    fi
}
