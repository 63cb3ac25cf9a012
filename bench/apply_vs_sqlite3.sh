#!/usr/bin/env bash
# Times "kytfilter apply --variant bde" writing the rows of a filtered statement as CSV
# against the sqlite3 shell's "-csv" export of the same statement, and prints the
# medians and their ratio.
#
#   bench/apply_vs_sqlite3.sh BUILD_DIR          (ROWS, default 1000000; RUNS, default 5)
#
# The table has an integer, a text (with quotes, commas and letters above 127), a float,
# a date and a column that is NULL in every third row. The filter keeps every row (ID
# >= 1), so both programs write ROWS rows; the statement given to sqlite3 is the one
# kytfilter prints, WHERE clause included. Both write to a file on the same folder; the
# runs alternate after one warm-up run of each. Figures are wall-clock seconds (real)
# and CPU seconds (user + sys), with the machine's load before and after.
set -euo pipefail

build=${1:?usage: apply_vs_sqlite3.sh BUILD_DIR}
rows=${ROWS:-1000000}
runs=${RUNS:-5}
kytfilter=$build/apps/kytfilter/kytfilter
[ -x "$kytfilter" ] || { echo "apply_vs_sqlite3.sh: $kytfilter not built" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "apply_vs_sqlite3.sh: the sqlite3 shell is missing (scripts/dev setup)" >&2; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

sqlite3 "$dir/bench.db" <<SQL
CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), PRICE DOUBLE, DAY DATE, NOTE VARCHAR(40));
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < $rows)
INSERT INTO T SELECT i,
  CASE i % 4 WHEN 0 THEN 'Name "' || i || '"' WHEN 1 THEN 'Müller, ' || i
             WHEN 2 THEN 'São Paulo ' || i ELSE 'plain' || i END,
  i * 0.25 + 0.1,
  date('2000-01-01', '+' || (i % 9000) || ' days'),
  CASE WHEN i % 3 = 0 THEN NULL ELSE 'note ' || i END
FROM c;
SQL

echo '{"description": "all", "criteria": [{"beginGroup": "", "fieldName": "ID", "tableName": "T.",
  "operator": ">=", "value": "1", "endGroup": "", "operation": 0}], "ordering": []}' |
  "$kytfilter" flt make "$dir/all.flt"

sql="SELECT ID, NAME, PRICE, DAY, NOTE FROM T"
kyt=("$kytfilter" apply --variant bde --database "$dir/bench.db" --sql "$sql" --filter "$dir/all.flt")
# The filtered statement: what kytfilter prints before the empty line.
filtered=$("${kyt[@]}" --csv "$dir/k.csv" | tr -d '\r')
echo "statement: $(printf '%s' "$filtered" | tr '\n' ' ')"
lite=(sqlite3 -csv "$dir/bench.db" "$filtered")
"${lite[@]}" >"$dir/s.csv"
# The same rows: kytfilter adds a header line.
k=$(($(wc -l <"$dir/k.csv") - 1))
s=$(wc -l <"$dir/s.csv")
[ "$k" = "$rows" ] && [ "$s" = "$rows" ] || { echo "rows: kytfilter $k, sqlite3 $s, expected $rows" >&2; exit 1; }

# "real cpu" of one run of the command, standard output into File.
timed() {
  local out=$1
  shift
  local TIMEFORMAT='%R %U %S'
  { time "$@" >"$out" 2>/dev/null; } 2>&1 | awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)   rows: $rows   runs: $runs"
: >"$dir/kt" && : >"$dir/st"
for ((i = 0; i < runs; ++i)); do
  timed "$dir/k.out" "${kyt[@]}" >>"$dir/kt"
  timed "$dir/s.csv" "${lite[@]}" >>"$dir/st"
done
kr=$(cut -d' ' -f1 "$dir/kt" | median)
kc=$(cut -d' ' -f2 "$dir/kt" | median)
sr=$(cut -d' ' -f1 "$dir/st" | median)
sc=$(cut -d' ' -f2 "$dir/st" | median)
printf '%-32s %10s %10s\n' command real_s cpu_s
printf '%-32s %10s %10s\n' "kytfilter apply --variant bde" "$kr" "$kc"
printf '%-32s %10s %10s\n' "sqlite3 -csv" "$sr" "$sc"
awk -v k="$kr" -v s="$sr" -v kc="$kc" -v sc="$sc" \
  'BEGIN { printf "ratio kytfilter / sqlite3: real %.2fx, cpu %.2fx\n", k / s, (sc > 0 ? kc / sc : 0) }'
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
