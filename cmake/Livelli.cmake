# The layers of the program and what each may use, checked when the project is
# configured: a library that links or includes a layer it may not use, a
# library outside the windows' layers that links Qt Widgets, or a library under
# src/ that belongs to no layer stops the configuration with a message.
#
# To add a module: add its library to the table below, in the layer it belongs
# to, or add a layer (name, libraries, the layers it USES, WIDGETS if it may
# link Qt Widgets). A layer always uses its own libraries.

set(PC_LIVELLI "")

function(pc_livello nome)
  cmake_parse_arguments(L "WIDGETS" "" "LIBRERIE;USA" ${ARGN})
  set(PC_LIVELLI ${PC_LIVELLI} ${nome} PARENT_SCOPE)
  set(PC_LIVELLO_${nome}_LIBRERIE ${L_LIBRERIE} PARENT_SCOPE)
  set(PC_LIVELLO_${nome}_USA ${L_USA} PARENT_SCOPE)
  set(PC_LIVELLO_${nome}_WIDGETS ${L_WIDGETS} PARENT_SCOPE)
endfunction()

# Bottom to top.
pc_livello(dati        LIBRERIE pc_data)
pc_livello(demo        LIBRERIE pc_demo                          USA dati)
pc_livello(motore      LIBRERIE pc_engine                        USA dati)
pc_livello(routine     LIBRERIE pc_routine                       USA dati motore)
pc_livello(analisi     LIBRERIE pc_analisi                       USA dati motore)
pc_livello(catena      LIBRERIE pc_catena                        USA dati motore analisi)
pc_livello(conversioni LIBRERIE pc_preview_core pc_printing_core pc_analisi_pdf
                       USA dati motore analisi routine)
pc_livello(ufficio     LIBRERIE pc_ufficio                       USA dati motore analisi catena routine conversioni)
pc_livello(desktop     LIBRERIE pc_platform                      USA dati WIDGETS)
pc_livello(finestre    LIBRERIE pc_dialogs pc_preview_gui pc_menu_stampa pc_finestra pc_analisi_finestra
                       USA dati motore analisi routine conversioni desktop WIDGETS)
pc_livello(comandi     LIBRERIE pc_batch                         USA dati demo motore analisi catena routine conversioni ufficio)
# The executable (src/app) puts everything together and is not checked.

# All library targets defined under a folder, recursively.
function(pc_librerie_sotto cartella risultato)
  get_property(obiettivi DIRECTORY ${cartella} PROPERTY BUILDSYSTEM_TARGETS)
  set(librerie "")
  foreach(t IN LISTS obiettivi)
    get_target_property(tipo ${t} TYPE)
    if(tipo MATCHES "_LIBRARY$")
      list(APPEND librerie ${t})
    endif()
  endforeach()
  get_property(sotto DIRECTORY ${cartella} PROPERTY SUBDIRECTORIES)
  foreach(s IN LISTS sotto)
    pc_librerie_sotto(${s} altre)
    list(APPEND librerie ${altre})
  endforeach()
  set(${risultato} ${librerie} PARENT_SCOPE)
endfunction()

function(pc_controlla_livelli cartella)
  set(errori "")
  # Library -> layer.
  foreach(l IN LISTS PC_LIVELLI)
    foreach(lib IN LISTS PC_LIVELLO_${l}_LIBRERIE)
      set(livello_${lib} ${l})
    endforeach()
  endforeach()
  # Header file name -> library that owns it.
  pc_librerie_sotto(${cartella} librerie)
  foreach(lib IN LISTS librerie)
    if(NOT DEFINED livello_${lib})
      string(APPEND errori "  ${lib} non appartiene a nessun livello: aggiungerla in cmake/Livelli.cmake\n")
      continue()
    endif()
    get_target_property(sorgenti ${lib} SOURCES)
    foreach(f IN LISTS sorgenti)
      if(f MATCHES "\\.h$")
        get_filename_component(nomeFile ${f} NAME)
        list(APPEND proprietario_${nomeFile} ${lib})
      endif()
    endforeach()
  endforeach()

  foreach(lib IN LISTS librerie)
    if(NOT DEFINED livello_${lib})
      continue()
    endif()
    set(livello ${livello_${lib}})
    set(ammesse ${PC_LIVELLO_${livello}_LIBRERIE})
    foreach(u IN LISTS PC_LIVELLO_${livello}_USA)
      list(APPEND ammesse ${PC_LIVELLO_${u}_LIBRERIE})
    endforeach()

    # What it links, directly.
    get_target_property(collegate ${lib} LINK_LIBRARIES)
    get_target_property(interfaccia ${lib} INTERFACE_LINK_LIBRARIES)
    set(tutte "")
    foreach(c IN LISTS collegate interfaccia)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" c "${c}")
      list(APPEND tutte "${c}")
    endforeach()
    list(REMOVE_DUPLICATES tutte)
    foreach(c IN LISTS tutte)
      if(c STREQUAL "Qt6::Widgets" AND NOT PC_LIVELLO_${livello}_WIDGETS)
        string(APPEND errori "  ${lib} (${livello}) collega Qt6::Widgets: le finestre vanno in una libreria del livello finestre\n")
      elseif(DEFINED livello_${c} AND NOT c IN_LIST ammesse)
        string(APPEND errori "  ${lib} (${livello}) collega ${c} (${livello_${c}})\n")
      endif()
    endforeach()

    # What its files include by name.
    get_target_property(dirSorgenti ${lib} SOURCE_DIR)
    get_target_property(sorgenti ${lib} SOURCES)
    foreach(f IN LISTS sorgenti)
      if(NOT f MATCHES "\\.(h|cpp)$")
        continue()
      endif()
      if(NOT IS_ABSOLUTE ${f})
        set(f ${dirSorgenti}/${f})
      endif()
      file(STRINGS ${f} inclusioni REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      foreach(riga IN LISTS inclusioni)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" incluso "${riga}")
        get_filename_component(incluso ${incluso} NAME)
        # A name two libraries share is fine when either may be used.
        set(ammesso FALSE)
        foreach(p IN LISTS proprietario_${incluso})
          if(p IN_LIST ammesse)
            set(ammesso TRUE)
          endif()
        endforeach()
        if(DEFINED proprietario_${incluso} AND NOT ammesso)
          file(RELATIVE_PATH relativo ${PROJECT_SOURCE_DIR} ${f})
          string(APPEND errori "  ${relativo} (${lib}, ${livello}) include ${incluso} di ${proprietario_${incluso}}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()

  if(errori)
    message(FATAL_ERROR "Un livello usa ciò che non gli spetta (vedi ARCHITECTURE.md):\n${errori}")
  endif()
endfunction()
