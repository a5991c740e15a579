#include "PaginaReport.h"

#include "ConvertiBordi.h"
#include "FileTesto.h"
#include "ScritturaFile.h"

#include <algorithm>
#include <climits>

using pc::dati::naturaPercorso;

namespace pc::anteprima {

PaginaReport::PaginaReport(std::string file) : m_file(std::move(file)), m_f(QString::fromStdString(m_file)) {}

bool PaginaReport::apri()
{
    chiudi();
    m_posizione = 0;
    if (!naturaPercorso(m_file).empty()) return false;   // a pipe or a device is never opened: it could block
    return m_f.open(QIODevice::ReadOnly);
}

void PaginaReport::chiudi()
{
    if (m_f.isOpen()) m_f.close();
}

void PaginaReport::apriOppureErrore()
{
    chiudi();
    if (!naturaPercorso(m_file).empty() || !m_f.open(QIODevice::ReadOnly)) {
        throw ErroreFileReport("Impossibile aprire il file del report \"" + m_file +
                               "\": il file non esiste pi\xC3\xB9 o non si pu\xC3\xB2 leggere.");
    }
}

void PaginaReport::riapriDoveEra()
{
    apriOppureErrore();
    if (!m_f.seek(std::min(m_posizione, m_f.size()))) m_f.seek(m_f.size());
}

QString PaginaReport::caricaPagina(std::int32_t limite)
{
    if (!m_f.isOpen()) {
        throw ErroreFileReport("Il file del report \"" + m_file + "\" non \xC3\xA8 aperto.");
    }
    std::string pagina;
    std::int32_t caratteri = 0;
    while (!m_f.atEnd() && caratteri < limite) {
        QByteArray riga = m_f.readLine();
        if (riga.isEmpty() && m_f.error() != QFileDevice::NoError) {
            const std::string causa = "errore di lettura";
            m_f.unsetError();
            throw ErroreFileReport("Impossibile leggere il file del report \"" + m_file + "\": " + causa + ".");
        }
        if (riga.endsWith('\n')) riga.chop(1);
        if (riga.endsWith('\r')) riga.chop(1);
        std::string s(riga.constData(), static_cast<std::size_t>(riga.size()));
        const auto lunghezza = static_cast<std::int64_t>(s.size());
        caratteri = static_cast<std::int32_t>(std::min<std::int64_t>(caratteri + lunghezza, INT32_MAX));
        pagina += ConvertiBordi(s);
        pagina += '\n';
    }
    m_posizione = m_f.pos();
    m_caratteri = caratteri;
    m_altreRighe = m_f.atEnd() ? 0 : 1;
    return filetesto::daCp1252(pagina);
}

QString PaginaReport::ricomincia(std::int32_t limite)
{
    apriOppureErrore();
    m_posizione = 0;
    return caricaPagina(limite);
}

void PaginaReport::salva(const QString &testo)
{
    chiudi();
    try {
        filetesto::scrivi(m_file, filetesto::perFile(testo) + "\r\n");
    } catch (...) {
        riapriDoveEra();
        throw;
    }
    apriOppureErrore();
    m_posizione = 0;
}

} // namespace pc::anteprima
