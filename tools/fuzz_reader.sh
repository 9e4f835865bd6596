#!/bin/sh
# Builds the free-format reader's fuzz target with clang's libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs it for a
# bounded time (default 300 s) on a seed corpus of typical answers and
# data-file lines. Not part of the test suite.
#
#   tools/fuzz_reader.sh [seconds] [build directory]
set -eu
seconds=${1:-300}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$here/build-fuzz}
mkdir -p "$out/corpus" "$out/findings"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz_reader: clang++ is needed (apt-get install -y clang libclang-rt-dev)" >&2
    exit 2
fi

sources=$(ls "$here"/records/*.cpp "$here"/process/*.cpp "$here"/platform/*.cpp)
# shellcheck disable=SC2086
clang++ -std=c++20 -O1 -g -ffp-contract=off -fno-fast-math \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$here" "$here/tools/reader_fuzz.cpp" $sources -o "$out/reader_fuzz"

# Seeds: the first byte picks 1 to 4 destinations per read.
seed() { printf "$2" > "$out/corpus/$1"; }
seed sweep        '\002300 10 400\n2 345\n'
seed commas       '\002300,,400\n,10,400\n300 10 /\n300/\n'
seed repeats      '\0023*100\n2*100 400\n2* 400\n3 *100\n2*3*4\n0*5\n+2*5\n16#2*5\n#A*1\n'
seed numbers      '\0011.5E2 1.5e2 1.5D2 1.5d2 1.5+2 150. .15E3 2.5-3\n1.5E 1.5Q2 1.5E+ 0x10 INF 1.2.3 . +\n'
seed bounds       '\0013.4028234e38 3.4028235e38 1e39 1e-40 1e-50 1e5201 1e-5201\n'
seed data_file    '\001T K thetaD K\nabc 100 200\n100 abc\n300 400\n100 2*\n300 400\n'
seed quotes       "\\001'100' 200 300\\n'it''s' 1 2\\n'abc\\nXdef' 5 6\\n\"q\" 7\\n"
seed parentheses  '\001(1,2) 3 4\n(1\n 2) 3 4\n() 5\n(1/ 2\n'
seed line_ends    '\001100 200\r\n300 400\r999\n500 600'
seed ctrl_z       '\0011 2\n\032\r\n3 4\n'

# Tokens of the syntax, so that mutations find them.
cat > "$out/reader.dict" <<'TOKENS'
"*"
"#"
"16#"
"2*"
"'"
"''"
"\""
"("
")"
","
"/"
" , "
"E"
"D"
"d+"
"e-"
"e38"
"e-45"
"e308"
"e5200"
"e5201"
"3.4028234"
"3.4028235"
"2147483647"
"2147483648"
"\x0d\x0a"
"\x1a"
TOKENS

start=$(date +%s)
set +e
"$out/reader_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -dict="$out/reader.dict" -artifact_prefix="$out/findings/" -print_final_stats=1 "$out/corpus" \
    > "$out/fuzz.log" 2>&1
status=$?
grep -E "DONE|^stat::|ERROR|SUMMARY|reader_fuzz:" "$out/fuzz.log"
set -e
end=$(date +%s)
echo "fuzz_reader: ran $((end - start)) s; findings in $out/findings: $(ls "$out/findings" | wc -l)"
exit $status
