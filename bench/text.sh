#!/usr/bin/env bash
# What reading the text costs: each document of bench/common.sh (the benchmark
# PDF of PAGES pages first; DOCS="benchmark manual" by default, or PDF=file)
# is published as a Flash book with and without --text, back to back in each
# round, and the median ratio printed (target: --text costs at most 20 % more).
# Also prints the size of the text the book then carries.
targets="zarvex-cli"
source "$(dirname "$0")/common.sh"

publish() {
  rm -rf "$work/book"
  seconds "$build/zarvex-cli" publish --quiet "$pdf" --out "$work/book" --format flash --quality 1 "$@"
}

wanted=" ${DOCS:-benchmark manual} "
while read -r docname docpath; do
  [[ -n ${PDF:-} || $wanted == *" $docname "* ]] || continue
  use "$docname" "$docpath"
  : >"$work/rounds"
  for ((r = 1; r <= rounds; r++)); do
    plain=$(publish)
    text=$(publish --text)
    echo "$plain $text" >>"$work/rounds"
    echo "$name round $r: without ${plain} s, with --text ${text} s ($(ratio "$text" "$plain")x)"
  done
  echo "== $name: $pages pages, median of $rounds rounds"
  echo "publish without --text: $(column 1) s"
  echo "publish with --text:    $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 1.20)"
  echo "text files in the book: $(du -sk "$work/book/files/text" | cut -f1) KiB," \
    "$(find "$work/book/files/text" -name '*.json' | wc -l) files; index.html $(du -k "$work/book/index.html" | cut -f1) KiB"
done < <(documents)
