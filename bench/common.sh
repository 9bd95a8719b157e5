# Sourced by the benchmark scripts: the programs built when missing, a work folder removed at the
# end, the simulator started last stopped at the end, and a small calculator.
# Expects ROOT and BUILD; `bench_setup NAME` makes WORK=/tmp/trevisk-NAME.XXXXXX.
bench_setup() {
    if [ ! -x "$BUILD/trevisk" ] || [ ! -x "$BUILD/trevisk-sim" ]; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
        cmake --build "$BUILD" --parallel "$(nproc)" --target trevisk trevisk-sim | tail -n 1
    fi
    WORK=$(mktemp -d "/tmp/trevisk-$1.XXXXXX")
    SERVER_PID=""
    trap 'stop_server; rm -rf "$WORK"' EXIT
    trap 'exit 130' INT TERM
    ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
}
stop_server() {
    if [ -n "$SERVER_PID" ]; then
        kill -TERM "$SERVER_PID" 2>/dev/null || true
        wait "$SERVER_PID" 2>/dev/null || true
        SERVER_PID=""
    fi
}
calc() { awk "BEGIN {printf \"$1\", $2}"; }
