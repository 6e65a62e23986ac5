#!/bin/sh
# Runs database.qba against SQLite through unixODBC, with a private data source: ODBCINI names
# an odbc.ini in the run's own directory, so nothing outside it is configured. The driver
# "SQLite3" is the one the libsqliteodbc package registers (scripts/install-deps.sh installs it).
# Usage: database_checks.sh RUN_PROGRAM_TEST QUILLET ENGINE WORKDIR
set -u
run_test=$1 quillet=$2 engine=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
dir="$work/database-source"
rm -rf "$dir" && mkdir -p "$dir" || exit 1
for library in libodbc.so.2 libsqlite3odbc.so; do
    ldconfig -p | grep -q "$library" || [ -n "$(find /usr/lib -name "$library" 2>/dev/null)" ] ||
        { echo "FAIL database_checks: $library is missing (run scripts/install-deps.sh)"; exit 1; }
done
cat >"$dir/odbc.ini" <<INI
[quillet_test]
Driver=SQLite3
Database=$dir/test.sqlite
INI
ODBCINI="$dir/odbc.ini" exec "$run_test" "$quillet" "$engine" "$here/database.qba" "$work"
