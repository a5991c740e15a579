#!/usr/bin/env bash
# Installs, builds, creates the demo hotel in demo/ and writes one month's
# statement from it, shown on the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/installa-dipendenze.sh
scripts/compila.sh build
rm -rf demo && build/src/app/produzione-camere demo demo
cd demo
DIRKV="$PWD/storico" PCLocal=1 LANG=it_IT.UTF-8 ../build/src/app/produzione-camere stampa \
  --dal 01/03/2026 --al 31/03/2026 --tipo vendite --raggruppamento tipi --mostra
