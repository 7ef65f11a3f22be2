#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) in build-fuzz/, makes their seed corpora
# from the project's own files and runs them.
#   tools/fuzz.sh --ci                 every target over its seeds and a few thousand mutations
#   tools/fuzz.sh [TARGET...] [-t S]   a campaign: each target (all by default) for S seconds
#                                      (default 600); the corpus grows in build-fuzz/corpus/TARGET
#                                      and findings land in build-fuzz/findings/
# Targets: dbf ndx memo expr delimited xlsx hpgl help errhelp picindex spring config session
set -euo pipefail
cd "$(dirname "$0")/.."
all=(dbf ndx memo expr delimited xlsx hpgl help errhelp picindex spring config session)

ci=0
seconds=600
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --ci) ci=1 ;;
    -t) seconds="$2"; shift ;;
    *) targets+=("$1") ;;
  esac
  shift
done
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

bash tools/setup.sh

dir=${QORVA_FUZZ_BUILD:-build-fuzz}  # QORVA_FUZZ_BUILD: another build folder
cmake -S . -B "$dir" -G Ninja -DQORVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" --parallel "$(nproc)" >/dev/null

# Seeds: the shipped files of each kind, and what the program's writers make for the rest.
seeds="$dir/seeds"
rm -rf "$seeds"
"$dir/fuzz/qorva_fuzz_seeds" . "$seeds"
mkdir -p "$seeds"/{dbf,hpgl,help,errhelp,picindex,spring}
cp data/*.dbf "$seeds/dbf/"
cp data/*.plt "$seeds/hpgl/"
cp data/*.hlp "$seeds/help/"
cp data/*.err "$seeds/errhelp/"
cp data/*.dbh "$seeds/picindex/"
cp data/*.qva "$seeds/spring/"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/findings"
status=0
for t in "${targets[@]}"; do
  if [ "$ci" = 1 ]; then
    work=$(mktemp -d)
    limits=(-runs=3000)
  else
    work="$dir/corpus/$t"
    mkdir -p "$work"
    limits=(-max_total_time="$seconds")
  fi
  start=$(date +%s%N)
  if ! "$dir/fuzz/fuzz_$t" "${limits[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$dir/findings/$t-" -print_final_stats=0 "$work" "$seeds/$t" >"$dir/findings/$t.log" 2>&1; then
    echo "fuzz_$t: FINDING (see $dir/findings/$t.log)" >&2
    tail -30 "$dir/findings/$t.log" >&2
    status=1
  else
    ms=$((($(date +%s%N) - start) / 1000000))
    printf 'fuzz_%s: ok (%d.%01d s)\n' "$t" $((ms / 1000)) $((ms % 1000 / 100))
  fi
  [ "$ci" = 1 ] && rm -rf "$work"
done
exit $status
