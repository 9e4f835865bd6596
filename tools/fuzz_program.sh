#!/bin/sh
# Builds the whole program as an AFL++ target under AddressSanitizer and
# UndefinedBehaviorSanitizer (tools/whole_program_fuzz.cpp) and fuzzes it
# for a bounded time (default 600 s), starting from a corpus made of the
# tests' typical inputs. Not part of the test suite.
#
#   tools/fuzz_program.sh [seconds] [build directory]
# Findings land in BUILD/findings/default/{crashes,hangs}; replay one with
#   SOTRA_FUZZ_STDERR=1 BUILD/whole_program_fuzz FILE
set -eu
seconds=${1:-600}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$here/build-afl}
mkdir -p "$out"
command -v afl-clang-fast++ > /dev/null || { echo "fuzz_program: AFL++ is needed (apt-get install -y afl++)" >&2; exit 2; }

sources=$(ls "$here"/calc/*.cpp "$here"/records/*.cpp "$here"/process/*.cpp "$here"/platform/*.cpp |
    grep -v -e '/calc/main.cpp$' -e '/platform/posix_process.cpp$')
# shellcheck disable=SC2086
AFL_USE_ASAN=1 AFL_USE_UBSAN=1 AFL_QUIET=1 afl-clang-fast++ -std=c++20 -O1 -g -ffp-contract=off -fno-fast-math \
    -ftrapping-math -fno-sanitize-recover=undefined -I"$here" \
    "$here/tools/whole_program_fuzz.cpp" $sources -o "$out/whole_program_fuzz"

# Seeds: two length bytes (little-endian) of console input, then data.txt.
mkdir -p "$out/corpus"
seed() {  # name, console, data
    console=$(printf "$2"; printf x)
    console=${console%x}
    length=$(printf '%s' "$console" | wc -c)
    { printf "\\$(printf '%03o' $((length % 256)))\\$(printf '%03o' $((length / 256)))"
      printf '%s' "$console"; printf "$3"; } > "$out/corpus/$1"
}
seed typical      '10 10 30\n2 345\n' ''
seed crlf         '10 10 30\r\n2 345\r\n' ''
seed data_file    '10 10 30\n2 0\ndata.txt\n' '100 200\n300 400\n'
seed heading      '5 5 300\n1 0\ndata.txt\n' 'T K thetaD K\n2 344\n10 341\n100 320\n300 338\n'
seed rejected     '10 10 30\n2 0\ndata.txt\n' 'abc 100 200\n100 xyz\n300 400\n100 2*\n7 8\n'
seed quotes       '10 10 30\n2 0\ndata.txt\n' "'100' 200 300\n(1,2) 3 4\n\"q\" 5 6\n"
seed empty_data   '10 10 30\n2 0\ndata.txt\n' ''
seed nulls        '300,,400\n,10\n2/\n' ''
seed repeats      '3*100\n2*1.5 400\n' ''
seed console_data '10 10 30\n2 0\ncon\n100 200\n300 400\n' ''
seed blank_name   '10 10 30\n2 0\n\ndata.txt\n' '100 200\n'
seed bounds       '1e-30 1 1e-30\n2 1e10\n' ''
seed overflow     '10 10 30\n3e38 345\n' ''
seed tiny_theta   '1 1 1\n2 1e-20\n' ''
seed stall        '1e7 0.1 2e7\n2 345\n' ''
seed ctrl_z       '10 10 30\n\032\r\n' ''

cat > "$out/program.dict" << 'TOKENS'
"data.txt"
"con"
"nul"
"\x0a"
"\x0d\x0a"
"\x1a\x0d\x0a"
" 0"
"*"
"#"
"'"
"("
")"
","
"/"
"E"
"D"
"e38"
"e-45"
"e5201"
"3.4028235"
"2147483647"
TOKENS

export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1 AFL_NO_AFFINITY=1
start=$(date +%s)
set +e
afl-fuzz -i "$out/corpus" -o "$out/findings" -x "$out/program.dict" -m none -t 2000 -V "$seconds" \
    -- "$out/whole_program_fuzz" @@ > "$out/afl.log" 2>&1
status=$?
set -e
end=$(date +%s)
stats=$out/findings/default/fuzzer_stats
if [ -f "$stats" ]; then
    grep -E '^(run_time|execs_done|execs_per_sec|corpus_count|bitmap_cvg|edges_found|total_edges|saved_crashes|saved_hangs) ' "$stats"
fi
echo "fuzz_program: ran $((end - start)) s (afl-fuzz status $status); crashes: $(ls "$out/findings/default/crashes" 2>/dev/null | grep -vc README || true), hangs: $(ls "$out/findings/default/hangs" 2>/dev/null | wc -l)"
