#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the tool.
set -euo pipefail
pacchetti=(g++ cmake ninja-build pkg-config ccache qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n
  libsqlite3-dev sqlite3 mdbtools-dev libgtest-dev fonts-dejavu-core poppler-utils cups xvfb
  dpkg-dev desktop-file-utils openbox x11-utils libpq-dev postgresql-15
  qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev unzip python3
  libcpp-httplib-dev libsodium-dev libssl-dev libjs-chart.js chromium chromium-driver python3-selenium)
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
