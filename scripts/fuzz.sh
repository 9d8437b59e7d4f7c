#!/usr/bin/env bash
# Fuzzes with libFuzzer (clang, AddressSanitizer and UndefinedBehaviorSanitizer) the font-file
# readers (name, bounded read, embedding permission; the default), the readers a listed file
# meets after its name (character map, facts, signature, duplicates, own-script sample) or the
# document's XML: installs
# clang and libFuzzer, builds the fuzz preset, writes the seed corpus and runs the fuzzer in one
# process, printing libFuzzer's output. An input that takes a second or more counts as a hang.
#
# Usage: scripts/fuzz.sh [fontfile|readers|document] [SECONDS | runs=N] [libFuzzer options...]
#   scripts/fuzz.sh                   the font-file readers for one minute
#   scripts/fuzz.sh readers 600       the listed file's readers for ten minutes
#   scripts/fuzz.sh 3600              one hour
#   scripts/fuzz.sh document 600      the document's XML for ten minutes
#   scripts/fuzz.sh runs=12000000     twelve million inputs
#   scripts/fuzz.sh fontfile 600 -max_len=67108865
#                                     inputs up to the font-file size limit and one byte over
#
# Inputs are at most 2 MiB long (the document's XML: 256 KiB) unless -max_len says otherwise;
# whole font files and the seed corpus's large collections of up to that size go in whole. The
# sanitized document target takes about a second for 2 MB of text, which the one-second limit
# would count as a hang.
#
# build/fuzz/corpus    the inputs the fuzzer found worth keeping (corpus-readers for the listed
#                      file's readers, corpus-document for the document's XML); kept from run to run
# build/fuzz/seeds     the seed corpus, written anew by every run
# build/fuzz/artifacts crash-*, timeout-*, leak-* and oom-* files of the inputs that failed
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

target=fontfilename
max_len=$((2 * 1024 * 1024))
corpus=corpus
dict=(-dict=fuzz/fontfilename.dict)
case "${1:-}" in
  fontfile) shift ;;
  readers) target=fontreaders; corpus=corpus-readers; shift ;;
  document) target=document; corpus=corpus-document; dict=(); max_len=$((256 * 1024)); shift ;;
esac

limit=-max_total_time=60
case "${1:-}" in
  runs=*) limit="-runs=${1#runs=}"; shift ;;
  '' | -*) ;;
  *[!0-9]*) echo "fuzz.sh: expected SECONDS or runs=N, not '$1'" >&2; exit 2 ;;
  *) limit="-max_total_time=$1"; shift ;;
esac

for option in "$@"; do
  case "$option" in
    -max_len=*) max_len=${option#-max_len=} ;;
  esac
done

"$here/scripts/deps.sh" build fuzz
cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz
rm -rf "$out/seeds"
# Inputs longer than -max_len are cut, so larger fonts go in in their small form only.
"$out/fuzz/gw_fuzz_seeds" "$out/seeds" --max-size "$max_len"
mkdir -p "$out/$corpus" "$out/artifacts"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
"$out/fuzz/fuzz_$target" -max_len="$max_len" -timeout=1 -report_slow_units=1 -print_final_stats=1 \
  "${dict[@]}" -artifact_prefix="$out/artifacts/" "$limit" "$@" \
  "$out/$corpus" "$out/seeds" || status=$?

# The corpus keeps every input that once added coverage; after a clean run it is cut down to
# the inputs that still add some, so it does not grow from run to run.
if [ "$status" -eq 0 ]; then
  rm -rf "$out/$corpus.min"
  mkdir "$out/$corpus.min"
  if "$out/fuzz/fuzz_$target" -merge=1 -max_len="$max_len" "$out/$corpus.min" "$out/$corpus" >"$out/merge.log" 2>&1; then
    rm -rf "$out/$corpus"
    mv "$out/$corpus.min" "$out/$corpus"
  else
    echo "fuzz.sh: the corpus could not be cut down (see $out/merge.log); it is kept whole" >&2
    rm -rf "$out/$corpus.min"
  fi
fi
echo "corpus: $(find "$out/$corpus" -type f | wc -l) files in $out/$corpus"
if [ -n "$(ls -A "$out/artifacts")" ]; then
  echo "failing inputs in $out/artifacts:"
  ls -l "$out/artifacts"
fi
exit "$status"
