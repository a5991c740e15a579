#include "Formati.h"

#include "ErroreDati.h"

#include <QFile>

using pc::dati::FileProvvisorio;
using pc::dati::Valuta;
using pc::dati::controllaDestinazione;
using pc::dati::scriviFileAtomico;

namespace pc::analisi {

std::string virgolette(const std::string &t)
{
    if (t.find_first_of(";\"\r\n") == std::string::npos) return t;
    std::string q = "\"";
    for (char c : t) {
        q += c;
        if (c == '"') q += '"';
    }
    return q + "\"";
}

namespace {

// Sold rooms are whole numbers but a booking's quantity need not be.
std::string quantita(Valuta v)
{
    if (v.grezzo() % Valuta::Scala == 0) return v.formatta(0, ',');
    std::string t = v.formatta(4, ',');
    while (t.back() == '0') t.pop_back();
    return t;
}

void aggiungi(std::string &dove, const std::string &campo)
{
    dove += ';';
    dove += campo;
}

} // namespace

void scriviFile(const QString &nome, const std::string &contenuto)
{
    scriviFileAtomico(QFile::encodeName(nome).toStdString(), contenuto, "il file dell'analisi");
}

ScrittoreCsv::ScrittoreCsv(const QString &nome) : m_nome(QFile::encodeName(nome).toStdString())
{
    controllaDestinazione(m_nome, "il file dell'analisi");   // before any figure is computed
}

void ScrittoreCsv::inizio(const Intestazione &i)
{
    m_i = i;
    m_file = std::make_unique<FileProvvisorio>(m_nome, "il file dell'analisi");
    m_colonne.clear();
    for (const auto &c : i.colonne) m_colonne.push_back(virgolette(c));
    m_blocco = "Data;Colonna;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR";
    if (i.richiesta.confronto) m_blocco += ";Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP";
    m_blocco += ";Prenotate";
    if (i.richiesta.confronto) m_blocco += ";Prenotate_AP";
    if (conBudget()) m_blocco += ";Budget_Vendute;Budget_Ricavo;Scost_Vendute;Scost_Ricavo";
    m_blocco += "\r\n";
}

void ScrittoreCsv::riga(std::string &dove, const std::string &data, const std::string &colonna, const Cifre &c) const
{
    dove += data;
    aggiungi(dove, colonna);
    aggiungi(dove, std::to_string(c.disponibili));
    aggiungi(dove, quantita(c.vendute));
    aggiungi(dove, testoCifra(occupazione(c.vendute, c.disponibili), 1, ','));
    aggiungi(dove, c.ricavo.formatta(2, ','));
    aggiungi(dove, testoCifra(adr(c.ricavo, c.vendute), 2, ','));
    aggiungi(dove, testoCifra(revpar(c.ricavo, c.disponibili), 2, ','));
    if (m_i.richiesta.confronto) {
        aggiungi(dove, quantita(c.venduteAP));
        aggiungi(dove, testoCifra(occupazione(c.venduteAP, c.disponibiliAP), 1, ','));
        aggiungi(dove, c.ricavoAP.formatta(2, ','));
        aggiungi(dove, testoCifra(adr(c.ricavoAP, c.venduteAP), 2, ','));
        aggiungi(dove, testoCifra(revpar(c.ricavoAP, c.disponibiliAP), 2, ','));
    }
    aggiungi(dove, quantita(c.prenotate));
    if (m_i.richiesta.confronto) aggiungi(dove, quantita(c.prenotateAP));
    if (conBudget()) {
        aggiungi(dove, c.budget ? quantita(c.budget->vendute) : std::string());
        aggiungi(dove, c.budget ? c.budget->ricavo.formatta(2, ',') : std::string());
        aggiungi(dove, c.budget ? quantita(*scostamentoVendute(c)) : std::string());
        aggiungi(dove, testoCifra(scostamentoRicavo(c), 2, ','));
    }
    dove += "\r\n";
}

void ScrittoreCsv::svuota(bool sempre)
{
    if (!sempre && m_blocco.size() < (1u << 16)) return;
    m_file->scrivi(m_blocco);
    m_blocco.clear();
}

bool ScrittoreCsv::conBudget() const
{
    return m_i.richiesta.budget && m_i.richiesta.periodicita != Periodicita::Giorno;
}

void ScrittoreCsv::periodo(Periodicita p, const Periodo &periodo, const Cifre *colonne, const Cifre &albergo)
{
    if (p != m_i.richiesta.periodicita) return;
    const std::string data = etichetta(p, periodo);
    for (std::size_t c = 0; c < m_colonne.size(); ++c) riga(m_blocco, data, m_colonne[c], colonne[c]);
    riga(m_albergo, data, "Totale albergo", albergo);
    svuota(false);
}

void ScrittoreCsv::giorno(Giorno g, const Cifre *colonne, const Cifre &albergo)
{
    if (m_i.richiesta.periodicita != Periodicita::Giorno) return;
    const std::string data = g.ggmmaaaa();
    for (std::size_t c = 0; c < m_colonne.size(); ++c) riga(m_blocco, data, m_colonne[c], colonne[c]);
    riga(m_albergo, data, "Totale albergo", albergo);
    svuota(false);
}

void ScrittoreCsv::fine(const Cifre *colonne, const Cifre &albergo)
{
    for (std::size_t c = 0; c < m_colonne.size(); ++c) riga(m_blocco, "TOTALE", m_colonne[c], colonne[c]);
    m_blocco += m_albergo;
    m_albergo.clear();
    riga(m_blocco, "TOTALE", "Totale albergo", albergo);
    svuota(true);
    m_file->conferma();
}

} // namespace pc::analisi
