# Helpers shared by the benchmark scripts; sourced, not run.

# Builds the programs the benchmarks need, optimised, in the given build folder. The GUI and the
# tests stay off: they take most of the build time and nothing here runs them.
bench_build() {
    local repo=$1 build=$2
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF \
        -DVANTREL_BUILD_GUI=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" \
        --target vantrel-cab make-lzx-cab vantrel-bench-corpus vantrel-bench-list \
        vantrel-bench-time >/dev/null
}

# A Wine-style prefix in folder $1 whose drive Z: is the host's "/", as Wine sets it up, so that
# vantrel-cab can name any host path. Prints nothing; export WINEPREFIX=$1 to use it.
bench_make_prefix() {
    mkdir -p "$1/dosdevices"
    ln -sfn / "$1/dosdevices/z:"
}

# One line per regular file under $1: its SHA-256 and its path relative to $1, sorted by path.
# Two trees are the same when these lists are.
bench_manifest() {
    (cd "$1" && find . -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 -r sha256sum)
}

# The command that extracts cabinet $2 into the existing empty folder $3 with tool $1, left in
# the array BENCH_COMMAND so that it can be run under vantrel-bench-time.
bench_command() {
    local tool=$1 cabinet=$2 out=$3
    case $tool in
        vantrel) BENCH_COMMAND=("$VANTREL_CAB" extract "$cabinet" "$out") ;;
        cabextract) BENCH_COMMAND=(cabextract -q -d "$out" "$cabinet") ;;
        bsdtar) BENCH_COMMAND=(bsdtar -xf "$cabinet" -C "$out") ;;
        7zz) BENCH_COMMAND=(7zz x -o"$out" -y -bso0 -bsp0 "$cabinet") ;;
        *) echo "unknown tool $tool" >&2; return 2 ;;
    esac
}

# Extracts cabinet $2 into the existing empty folder $3 with tool $1, quietly.
bench_extract() {
    bench_command "$@"
    "${BENCH_COMMAND[@]}" >/dev/null
}

# Stops with the Debian packages to install when a command is missing. Arguments are
# COMMAND:PACKAGE pairs.
bench_require() {
    local pair missing=()
    for pair in "$@"; do
        command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "missing tools; install them with: scripts/install-packages.sh ${missing[*]}" >&2
        exit 1
    fi
}
