#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1, extra cmake options after it).
set -euo pipefail
cd "$(dirname "$0")/.."
cartella=${1:-build}
shift || true
cmake -S . -B "$cartella" -G Ninja "$@" >/dev/null
cmake --build "$cartella"
