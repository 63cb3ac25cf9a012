#!/usr/bin/env bash
# Times "kytfilter sql get where FILE" against "wc -l FILE" on the same generated
# statement (the one parse_bench measures), and prints the medians and their ratio.
#
#   bench/cli_vs_wc.sh BUILD_DIR [SIZE_MB ...]     (default sizes: 16 128)
#
# RUNS (default 15) runs of each command per size, alternating, after one warm-up run
# that brings the file into the page cache. Figures are wall-clock seconds (real) and
# CPU seconds (user + sys); the machine's load is printed with them, since other work
# on the machine moves both.
set -euo pipefail

build=${1:?usage: cli_vs_wc.sh BUILD_DIR [SIZE_MB ...]}
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(16 128)
runs=${RUNS:-15}
kytfilter=$build/apps/kytfilter/kytfilter
bench=$build/bench/parse_bench
for exe in "$kytfilter" "$bench"; do
  [ -x "$exe" ] || { echo "cli_vs_wc.sh: $exe not built" >&2; exit 1; }
done

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# "real cpu" of one run of the command, output discarded.
timed() {
  local TIMEFORMAT='%R %U %S'
  { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)   runs: $runs"
printf '%8s  %-24s %10s %10s %10s\n' size command real_s cpu_s MB/s_real
for mb in "${sizes[@]}"; do
  file=$dir/statement-$mb.sql
  "$bench" --write-statement $((mb << 20)) "$file"
  bytes=$(stat -c %s "$file")
  "$kytfilter" sql get where "$file" >/dev/null
  wc -l "$file" >/dev/null
  : >"$dir/k" && : >"$dir/w"
  for ((i = 0; i < runs; ++i)); do
    timed "$kytfilter" sql get where "$file" >>"$dir/k"
    timed wc -l "$file" >>"$dir/w"
  done
  kr=$(cut -d' ' -f1 "$dir/k" | median)
  kc=$(cut -d' ' -f2 "$dir/k" | median)
  wr=$(cut -d' ' -f1 "$dir/w" | median)
  wcpu=$(cut -d' ' -f2 "$dir/w" | median)
  rate() { awk -v b="$bytes" -v t="$1" 'BEGIN { printf "%.0f", (t > 0 ? b / t / 1048576 : 0) }'; }
  printf '%8s  %-24s %10s %10s %10s\n' "${mb}M" "kytfilter sql get where" "$kr" "$kc" "$(rate "$kr")"
  printf '%8s  %-24s %10s %10s %10s\n' "${mb}M" "wc -l" "$wr" "$wcpu" "$(rate "$wr")"
  awk -v k="$kr" -v w="$wr" -v kc="$kc" -v wc="$wcpu" \
    'BEGIN { printf "%8s  ratio kytfilter / wc: real %.1fx, cpu %.1fx\n", "", k / w, (wc > 0 ? kc / wc : 0) }'
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
