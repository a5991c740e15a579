#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the tool.
# With --programma only those needed to build and run the program (the demo's).
set -euo pipefail
pacchetti=(g++ cmake ninja-build pkg-config ccache qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n
  libsqlite3-dev mdbtools-dev fonts-dejavu-core libpq-dev
  qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev libcurl4-openssl-dev
  libcpp-httplib-dev libsodium-dev libssl-dev libjs-chart.js)
# Only the tests, the benchmarks and the package check use these.
prove=(libgtest-dev sqlite3 poppler-utils cups xvfb dpkg-dev desktop-file-utils openbox x11-utils postgresql-15 unzip python3
  python3-aiosmtpd systemd openssl chromium chromium-driver python3-selenium)
[ "${1:-}" = "--programma" ] || pacchetti+=("${prove[@]}")
mancanti=()
for p in "${pacchetti[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || mancanti+=("$p")
done
if [ ${#mancanti[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${mancanti[@]}"
fi
