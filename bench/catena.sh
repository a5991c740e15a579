#!/usr/bin/env bash
# The central archive at scale, on a private PostgreSQL 15 with its default
# settings started here in a temporary folder (stopped at the end):
#   - a chain of 200 properties (20 to 200 rooms, 3 years) imported whole:
#     import rate (rows per second, day figures included), then the 1-year
#     chain statement and chain analysis as whole processes;
#   - the first 20 of them in an archive of their own: the same timings, so
#     that peak memory for 20 and 200 properties can be set side by side;
#   - small properties (40 rooms, 2 years), chains of 10 and of 40.
# Timings are medians of --volte runs (default 5). The generated hotels stay in
# DIR (default build/bench-catena) for the next run.
#
#   bench/catena.sh [--cartella DIR] [--volte N] [--build DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
cartella=build/bench-catena volte=5 build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --cartella) cartella=$2; shift 2 ;;
    --volte) volte=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "Uso: bench/catena.sh [--cartella DIR] [--volte N] [--build DIR]" >&2; exit 2 ;;
  esac
done
cmake --build "$build" --target bench_archivio >/dev/null
cartella=$(realpath -m "$cartella")
mkdir -p "$cartella"

bin=/usr/lib/postgresql/15/bin
d=$(mktemp -d /tmp/pc-catena-XXXXXX)
come=()
if [ "$(id -u)" = 0 ]; then chown postgres "$d"; come=(runuser -u postgres --); fi
porta=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"${come[@]}" "$bin/initdb" -D "$d/data" -A trust -U pc -E UTF8 --locale=C >/dev/null
"${come[@]}" "$bin/pg_ctl" -D "$d/data" -o "-k $d -p $porta -h ''" -l "$d/log" -w start >/dev/null
ferma() { "${come[@]}" "$bin/pg_ctl" -D "$d/data" stop -m fast >/dev/null || true; rm -rf "$d"; }
trap ferma EXIT
url() { echo "postgresql://pc@/$1?host=$d&port=$porta"; }
crea() { psql -q -h "$d" -p "$porta" -U pc -d postgres -c "CREATE DATABASE $1"; }

echo "== 200 strutture (20-200 camere, 3 anni); carico della macchina: $(cut -d' ' -f1-3 /proc/loadavg)"
crea catena200
"$build/bench/bench_archivio" --archivio "$(url catena200)" --cartella "$cartella/varie" --strutture 200 --variate --anni 3 --volte "$volte"
echo "== le prime 20 delle stesse"
crea catena20
"$build/bench/bench_archivio" --archivio "$(url catena20)" --cartella "$cartella/varie" --strutture 20 --variate --anni 3 --volte "$volte"
for n in 10 40; do
  echo "== $n strutture piccole (40 camere, 2 anni)"
  crea piccole$n
  "$build/bench/bench_archivio" --archivio "$(url piccole$n)" --cartella "$cartella/piccole" --strutture $n --camere 40 --anni 2 --volte "$volte"
done
