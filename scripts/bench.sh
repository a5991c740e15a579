#!/usr/bin/env bash
# Builds the benchmark in Release (build-release/) and runs it: the large hotel
# (300 rooms, ten years of history) is generated once into
# build-release/bench-albergo and reused. Options go to bench_report
# (for example --casi anno or --metodo giorno).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/installa-dipendenze.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target bench_report
cd build-release
exec bench/bench_report --cartella bench-albergo "$@"
