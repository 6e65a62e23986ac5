#!/bin/sh
# Times a B-code program fetching 100,000 rows (three columns) from SQLite through ODBC (bif 505)
# against unixODBC's isql fetching the same rows from the same data source, and prints both
# times and the ratio (isql time / engine time: 1 or more means at least as fast as isql).
# Wall-clock time, best of RUNS. The data source is private (ODBCINI), the database lives in
# the build directory.
# Usage: compare-odbc.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each side, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-odbc"
mkdir -p "$work"
work=$(cd "$work" && pwd)
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"
query="SELECT id, name, value FROM rows"

rm -f "$work/bench.sqlite"
python3 - "$work/bench.sqlite" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE rows (id INTEGER, name TEXT, value REAL)")
db.executemany("INSERT INTO rows VALUES (?, ?, ?)",
               ((i, f"row number {i}", i * 0.25) for i in range(1, 100001)))
db.commit()
PY
cat >"$work/odbc.ini" <<INI
[quillet_bench]
Driver=SQLite3
Database=$work/bench.sqlite
INI
export ODBCINI="$work/odbc.ini"
"$quillet" asm "$here/bench/database/fetch_rows.qba" -o "$work/fetch_rows.img"
"$quillet" bind "$engine" "$work/fetch_rows.img" -o "$work/fetch_rows"
echo "$query" >"$work/query.sql"

seconds() {
    start=$(date +%s%N)
    (cd "$work" && "$@" >"$work/stdout.txt" 2>"$work/stderr.txt") ||
        { cat "$work/stderr.txt"; echo "failed: $*"; exit 1; }
    end=$(date +%s%N)
    echo "scale=4; ($end - $start) / 1000000000" | bc
}
isql_fetch() { isql -b -d, quillet_bench <query.sql; }
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

engine_s="" isql_s=""
i=0
while [ $i -lt "$runs" ]; do
    engine_s=$(min "$engine_s" "$(seconds ./fetch_rows)")
    isql_s=$(min "$isql_s" "$(seconds isql_fetch)")
    i=$((i + 1))
done
rows=$(grep -c . "$work/stdout.txt")
[ "$rows" -ge 100000 ] || { echo "isql printed $rows lines"; exit 1; }
printf '100,000 rows through ODBC from SQLite, best of %s\n' "$runs"
printf '  engine (bif 505)  %6.3f s\n' "$engine_s"
printf '  isql              %6.3f s\n' "$isql_s"
printf '  isql / engine     %6.2f\n' "$(echo "scale=4; $isql_s / $engine_s" | bc)"
