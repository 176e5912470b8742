# Shared by the end-to-end benchmarks, sourced first with the script's arguments:
#   source "$(dirname "$0")/session.sh" "$@"; shift
# It runs the calling script again inside a private session (its own Xvfb and session bus),
# gives it a throw-away home with the system's data folders (icons, MIME types, installed
# applications, as on a real desktop), and ends what the script started: zentrivo ($pid) and
# whatever it adds to `pids`.
bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ "${1:-}" != "--session" ]; then
    exec "$bench_dir/../../tests/e2e/tools/run-under-xvfb.sh" "$0" --session "$@"
fi

home="$(mktemp -d "${TMPDIR:-/tmp}/zentrivo-bench.XXXXXX")"
pid=""
pids=()
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_CACHE_HOME="$home/cache" XDG_DATA_DIRS="/usr/local/share:/usr/share"
mkdir -p "$HOME" "$XDG_DATA_HOME/applications"

# start_zentrivo PROGRAM: (re)starts zentrivo in the background ($pid) and waits until it is ready.
start_zentrivo() {
    if [ -n "$pid" ]; then kill "$pid"; wait "$pid" || true; fi
    local log="$home/zentrivo.log"
    : >"$log" # before tail opens it: the background start may not have created it yet
    "$1" 2>"$log" &
    pid=$!
    if ! timeout 60 grep -q -m1 "com-tovelane-Zentrivo ready" <(tail -n +1 -f "$log"); then
        echo "zentrivo did not start:"
        cat "$log"
        exit 1
    fi
}

# Context switches (the wake-up proxy) summed over every zentrivo thread, Qt's included.
switches() {
    cat /proc/"$pid"/task/*/status |
        awk '/^(non)?voluntary_ctxt_switches:/ { total += $2 } END { print total }'
}
# One line per thread: its id, its name and its context switches so far.
per_thread() {
    for task in /proc/"$pid"/task/*; do
        printf '%s %s %s\n' "${task##*/}" "$(tr ' ' _ <"$task/comm")" \
            "$(awk '/^(non)?voluntary_ctxt_switches:/ { t += $2 } END { print t }' "$task/status")"
    done
}
# by_thread BEFORE AFTER: what each thread present in both `per_thread` readings added, as
# "name count, ...", then the sum on a line of its own. A thread that ended in between takes its
# count with it, so a plain difference of two totals can even come out negative.
by_thread() {
    awk 'NR == FNR { before[$1] = $3; next }
         $1 in before { n = $3 - before[$1]; printf "%s%s %d", sep, $2, n; sep = ", "; total += n }
         END { printf "\n%d\n", total }' <(echo "$1") <(echo "$2")
}
