#include "ErroreDati.h"
#include "SorgentiInterne.h"

namespace pc::dati {

std::unique_ptr<Sorgente> apriSorgenteJet(const std::string &percorso)
{
    throw ErroreDati("L'archivio \"" + percorso + "\" \xC3\xA8 in formato Jet/Access, non ancora leggibile da questa versione.");
}

} // namespace pc::dati
