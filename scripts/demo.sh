#!/usr/bin/env bash
# Installs what the program needs, builds only the program, creates the demo
# hotel in demo/ and writes one month's statement from it, shown on the terminal.
# (scripts/test.sh installs and builds the rest: tests, benchmarks.) PC_CARTELLA_DEMO
# names another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/installa-dipendenze.sh --programma
cartella=${PC_CARTELLA_DEMO:-build}
cmake -S . -B "$cartella" -G Ninja >/dev/null
cmake --build "$cartella" --target produzione-camere
programma="$(cd "$cartella" && pwd)/src/app/produzione-camere"
rm -rf demo && "$programma" demo demo
cd demo
DIRKV="$PWD/storico" PCLocal=1 LANG=it_IT.UTF-8 "$programma" stampa \
  --dal 01/03/2026 --al 31/03/2026 --tipo vendite --raggruppamento tipi --mostra
