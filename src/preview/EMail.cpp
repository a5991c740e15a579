#include "EMail.h"

#include "FileReport.h"
#include "FileTesto.h"

namespace pc {

std::string nomeFileEMail() { return "e-mail" + variabileAmbiente("PCLocal") + ".txt"; }

std::string contenutoFileEMail(const QString &testo)
{
    return "OGGETTO\r\n" + filetesto::perFile(testo) + "\r\n";
}

void scriviFileEMail(const QString &testo) { filetesto::scrivi(nomeFileEMail(), contenutoFileEMail(testo)); }

} // namespace pc
