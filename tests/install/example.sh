#!/usr/bin/env bash
# Installs the build into a fresh prefix, builds examples/filter-browser against it with
# find_package only, runs it once off-screen on the sample SQLite database with a saved
# filter, and compares its row count with the installed command line's.
#   example.sh SOURCE_DIR BUILD_DIR SAMPLE_DIR
set -euo pipefail
src="$1" build="$2" sample="$3"
work="$(mktemp -d "${TMPDIR:-/tmp}/kyt-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/kyt/sqltext/Parse.h include/kyt/components/kytBDEFilter.h \
         lib/cmake/kytfilter/kytfilterConfig.cmake lib/pkgconfig/kytsqltext.pc \
         lib/kytFilterBasePkg.pt bin/kytfilter bin/kytdesign; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Libraries built with the sanitizers need programs built with them: their run-time
# has to be loaded first.
sanitize=()
if grep -q '^KYT_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
  sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=all)
  launcher+=(-DCMAKE_CXX_FLAGS="${sanitize[*]}" -DCMAKE_EXE_LINKER_FLAGS="${sanitize[*]}")
fi
cmake -S "$src/examples/filter-browser" -B "$work/example" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$work/example" >/dev/null

# The toolkit alone through pkg-config, without Qt.
cat >"$work/toolkit.cpp" <<'CPP'
#include <sqltext/Parse.h>
#include <cstdio>
int main() {
  std::string sql = "SELECT A FROM T WHERE A = 1", where;
  Parse::GetSQLWhere(sql, where);
  std::printf("%s\n", where.c_str());
}
CPP
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" c++ "${sanitize[@]}" "$work/toolkit.cpp" -o "$work/toolkit" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs kytsqltext) -Wl,-rpath,"$prefix/lib"
[ "$("$work/toolkit")" = "WHERE A = 1" ] || { echo "the toolkit through pkg-config gave: $("$work/toolkit")" >&2; exit 1; }

cp "$sample/sample.db" "$work/orders.db"
sql="SELECT ID, ORDER_DATE, TOTAL, STATUS FROM ORDERS"
echo '{"description": "big orders", "criteria": [{"beginGroup": "", "fieldName": "TOTAL", "tableName": "ORDERS.",
  "operator": ">=", "value": "500", "endGroup": "", "operation": 0}], "ordering": []}' |
  "$prefix/bin/kytfilter" flt make "$work/big.flt"

out="$(cd "$work" && "$work/example/filter-browser" "$work/orders.db" "$sql" --apply "$work/big.flt")"
echo "$out"
rows="$(printf '%s\n' "$out" | sed -n 's/^rows: //p')"
"$prefix/bin/kytfilter" apply --variant bde --database "$work/orders.db" --sql "$sql" \
  --filter "$work/big.flt" --csv "$work/rows.csv" >/dev/null
expected=$(( $(wc -l <"$work/rows.csv") - 1 ))
if [ -z "$rows" ] || [ "$rows" != "$expected" ] || [ "$rows" -le 0 ]; then
  echo "the example counted '${rows}' rows, the command line $expected" >&2
  exit 1
fi
echo "example: $rows rows, as the command line"
