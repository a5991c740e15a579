#!/usr/bin/env bash
# The layer check on a scratch copy of the project: the copy as it is configures;
# with the violations below added it stops, naming each one.
# Usage: test_livelli.sh <project folder>
set -euo pipefail
progetto=$(cd "$1" && pwd)
copia=$(mktemp -d)
trap 'rm -rf "$copia"' EXIT
for voce in CMakeLists.txt cmake src tools bench; do cp -r "$progetto/$voce" "$copia/"; done

configura() {
  cmake -S "$copia" -B "$copia/build" -G Ninja -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$copia/esito.txt" 2>&1
}
if ! configura; then
  echo "la copia senza violazioni non si configura:"; cat "$copia/esito.txt"; exit 1
fi
rm -rf "$copia/build"

# message expected ("" for a line that only prepares one) | file of the copy | line appended to it
violazioni=(
  "pc_engine (motore) collega pc_demo (demo)"
    src/engine/CMakeLists.txt 'target_link_libraries(pc_engine PRIVATE pc_demo)'
  "src/data/Livello1.cpp (pc_data, dati) include StampaProduzione.h di pc_engine"
    src/data/Livello1.cpp '#include "StampaProduzione.h"'
  "src/data/Livello2.cpp (pc_data, dati) include TavoDesktop.h di pc_finestra"
    src/data/Livello2.cpp '#include <TavoDesktop.h>'
  "src/data/Livello3.cpp (pc_data, dati) include <QtWidgets/QWidget> di QtWidgets"
    src/data/Livello3.cpp '#include <QtWidgets/QWidget>'
  "" src/data/CMakeLists.txt 'target_sources(pc_data PRIVATE Livello1.cpp Livello2.cpp Livello3.cpp)'
  "src/engine/Livello4.cpp (pc_engine, motore) include <QDialog> di QtWidgets"
    src/engine/Livello4.cpp '#include <QDialog>'
  "src/engine/Livello5.cpp (pc_engine, motore) include MenuStampa.h di pc_menu_stampa attraverso src/engine/Ponte.h"
    src/engine/Livello5.cpp '#include "Ponte.h"'
  "" src/engine/Ponte.h '#include "MenuStampa.h"'
  "" src/engine/CMakeLists.txt 'target_sources(pc_engine PRIVATE Livello4.cpp Livello5.cpp)'
  "pc_routine (routine) collega pc_preview_core (conversioni)"
    src/routine/CMakeLists.txt 'target_link_libraries(pc_routine PRIVATE $<BUILD_INTERFACE:pc_preview_core>)'
  "pc_demo (demo) collega Qt6::PrintSupport, che porta Qt6::Widgets"
    src/demo/CMakeLists.txt 'target_link_libraries(pc_demo PRIVATE Qt6::PrintSupport)'
  "src/printing/Livello6.cpp (pc_printing_core, conversioni) include <QPrintDialog> di QtPrintSupport"
    src/printing/Livello6.cpp '#include <QPrintDialog>'
  "" src/printing/CMakeLists.txt 'target_sources(pc_printing_core PRIVATE Livello6.cpp)'
)
for ((i = 0; i < ${#violazioni[@]}; i += 3)); do
  printf '%s\n' "${violazioni[i+2]}" >>"$copia/${violazioni[i+1]}"
done
if configura; then
  echo "la configurazione con le violazioni non si è fermata"; exit 1
fi
esito=0
for ((i = 0; i < ${#violazioni[@]}; i += 3)); do
  atteso=${violazioni[i]}
  if [ -n "$atteso" ] && ! grep -qF -- "$atteso" "$copia/esito.txt"; then
    echo "non segnalata: $atteso"; esito=1
  fi
done
grep -q "Un livello usa ciò che non gli spetta" "$copia/esito.txt" || { echo "manca il messaggio del controllo"; esito=1; }
[ $esito -eq 0 ] || cat "$copia/esito.txt"
exit $esito
