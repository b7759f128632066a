#!/usr/bin/env bash
# `make fuzz`: builds the libFuzzer harnesses with clang in build-fuzz/ and runs each in turn
# for FUZZ_SECONDS (default 60). FUZZERS="settings_fuzz receive_fuzz" runs only those.
#
# Each harness starts from the seeds in tests/data/ that suit it and keeps what it finds in
# build-fuzz/corpus/NAME, so the next run goes on from there; nothing it finds is committed.
# A crash, a leak, a timeout or a broken promise leaves its input in build-fuzz/crashes/NAME/
# and makes the run fail, naming the harness; the others still run.
set -uo pipefail

cd "$(dirname "$0")/.."
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
# One input that runs this long is a hang, not a slow input.
per_input_timeout=${FUZZ_TIMEOUT:-20}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "make fuzz needs clang (Debian: apt-get install clang)" >&2
    exit 1
fi

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CXX=clang++ CC=clang cmake -S . -B "$build_dir" -G Ninja -DQUILLON_BUILD_FUZZ=ON \
    -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${launcher[@]}" >/dev/null || exit 1
cmake --build "$build_dir" --target fuzzers || exit 1

# The harnesses' names, one a line, as fuzz/CMakeLists.txt made them.
mapfile -t all < "$build_dir/fuzz/harnesses.txt"
if [ -n "${FUZZERS:-}" ]; then
    read -r -a chosen <<< "$FUZZERS"
else
    chosen=("${all[@]}")
fi

# The seed folders of a harness (libFuzzer reads folders only): its own under
# tests/data/fuzz/, and the shared fixtures of the kind it reads.
seeds_of() {
    local name=$1
    [ -d "tests/data/fuzz/$name" ] && echo "tests/data/fuzz/$name"
    case $name in
        program_fuzz | nc_words_fuzz | editor_fuzz) echo tests/data/nc resources/samples ;;
    esac
}

failed=()
summary=()
for name in "${chosen[@]}"; do
    binary="$build_dir/fuzz/$name"
    if [ ! -x "$binary" ]; then
        echo "No harness $name (known: ${all[*]})" >&2
        failed+=("$name (unknown)")
        continue
    fi
    corpus="$build_dir/corpus/$name"
    crashes="$build_dir/crashes/$name"
    log="$build_dir/logs/$name.log"
    mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
    read -r -a seeds <<< "$(seeds_of "$name" | tr '\n' ' ')"
    echo "== $name for ${seconds}s (log: $log)"
    # The first folder takes what the harness finds; the seed folders are only read.
    "$binary" -max_total_time="$seconds" -timeout="$per_input_timeout" \
        -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "${seeds[@]}" \
        >"$log" 2>&1
    status=$?
    # The last status line: "#123 DONE cov: 456 ft: ... exec/s: 789".
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")
    rate=$(sed -n 's/.* exec\/s: \([0-9]*\).*/\1/p' <<< "$last")
    summary+=("$(printf '%-22s cov %-6s exec/s %s' "$name" "${cov:-?}" "${rate:-?}")")
    if [ $status -ne 0 ]; then
        input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        failed+=("$name: ${input:-see $log}")
        tail -n 30 "$log" >&2
    fi
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo
    echo "make fuzz failed:" >&2
    printf '  %s\n' "${failed[@]}" >&2
    exit 1
fi
