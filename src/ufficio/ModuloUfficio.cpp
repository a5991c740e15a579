// The web office as a module the program opens only for the command
// `ufficio`: cpp-httplib and the TLS libraries it brings stay out of every
// other command's start. The module's other symbols (statement, archive,
// analysis) are the program's own, exported to it.

#include "Ufficio.h"

extern "C" int pc_modulo_ufficio(const pc::ufficio::ImpostazioniUfficio *impostazioni, std::ostream *messaggi,
                                 std::ostream *registro)
{
    return pc::ufficio::serviUfficio(*impostazioni, *messaggi, *registro);
}
