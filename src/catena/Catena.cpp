#include "Catena.h"

#include "Analisi.h"
#include "FigureGiornaliere.h"

#include <filesystem>

using pc::dati::Valuta;

namespace pc::catena {

namespace {

// A hotel's files without its guest cards (current and history): the
// statement's rooms sold then come from the bookings alone.
class SorgenteSenzaRighe final : public dati::Sorgente {
public:
    explicit SorgenteSenzaRighe(std::unique_ptr<dati::Sorgente> s) : m_s(std::move(s)) {}
    const std::string &percorso() const override { return m_s->percorso(); }
    std::vector<std::string> tabelle() override { return m_s->tabelle(); }
    dati::Tabella leggiTabella(const std::string &nome) override { return senzaRighe(m_s->leggiTabella(nome)); }
    std::optional<dati::Tabella> interroga(const dati::dialetto::Query &q, const Sottoselezione &sotto) override
    {
        auto t = m_s->interroga(q, sotto);
        if (!t) return std::nullopt;
        return senzaRighe(std::move(*t));
    }
    // A table held in memory by the source: only its columns are taken.
    std::shared_ptr<const dati::Tabella> tenuta(const std::string &nome) override
    {
        auto t = m_s->tenuta(nome);
        if (!t) return nullptr;
        return std::make_shared<const dati::Tabella>(dati::Tabella{t->nome, t->colonne, dati::RigheTabella(t->colonne.size())});
    }

private:
    static dati::Tabella senzaRighe(dati::Tabella t)
    {
        t.righe = dati::RigheTabella(t.colonne.size());
        return t;
    }
    std::unique_ptr<dati::Sorgente> m_s;
};

bool schedeClienti(const std::string &percorso)
{
    std::string nome = percorso;
    for (char &c : nome)
        if (c == '\\') c = '/';
    nome = std::filesystem::path(nome).filename().string();
    for (const char *f : {"Scheda_Cliente.mdb", "SchedaStoricoClienti.mdb"})
        if (nome.size() == std::char_traits<char>::length(f)
            && std::equal(nome.begin(), nome.end(), f, [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); }))
            return true;
    return false;
}

class FonteSoloPrenotazioni final : public dati::Fonte {
public:
    explicit FonteSoloPrenotazioni(std::shared_ptr<dati::Fonte> f) : m_f(std::move(f)) {}
    std::unique_ptr<dati::Sorgente> apri(const std::string &percorso) override
    {
        auto s = m_f->apri(percorso);
        if (!schedeClienti(percorso)) return s;
        return std::make_unique<SorgenteSenzaRighe>(std::move(s));
    }
    std::string identita(const std::string &percorso) override
    {
        // Never the cached tables of the real file.
        if (schedeClienti(percorso)) return "senza-schede:" + percorso;
        return m_f->identita(percorso);
    }
    bool perNome() const override { return m_f->perNome(); }
    std::string descrizione() const override { return m_f->descrizione(); }

private:
    std::shared_ptr<dati::Fonte> m_f;
};

// The analysis's figures of every day, kept whole.
class Raccolta : public analisi::Destinatario {
public:
    explicit Raccolta(dati::FigureSalvate &f) : m_f(f) {}
    void inizio(const analisi::Intestazione &i) override
    {
        m_f.chiavi = i.colonne;
        m_f.disponibili = i.disponibili;
        m_f.camere = i.camereAlbergo;
        m_f.primo = i.richiesta.dalla.seriale;
        m_f.giorni = i.giorni;
        m_f.vendute.reserve(static_cast<std::size_t>(i.giorni) * i.colonne.size());
        m_f.ricavo.reserve(m_f.vendute.capacity());
    }
    void giorno(Giorno, const analisi::Cifre *colonne, const analisi::Cifre &) override
    {
        for (std::size_t k = 0; k < m_f.chiavi.size(); ++k) {
            m_f.vendute.push_back(colonne[k].vendute);
            m_f.ricavo.push_back(colonne[k].ricavo);
        }
    }
    void fine(const analisi::Cifre *, const analisi::Cifre &) override {}

private:
    dati::FigureSalvate &m_f;
};

} // namespace

std::vector<dati::FigureSalvate> calcolaFigure(std::shared_ptr<dati::Fonte> fonte, long primo, long ultimo)
{
    const Giorno dalla{primo}, alla{ultimo >= primo ? ultimo : primo - 1};
    const auto prenotazioni = std::make_shared<FonteSoloPrenotazioni>(fonte);
    std::vector<dati::FigureSalvate> figure;
    for (Raggruppamento r : {Raggruppamento::NumeriCamere, Raggruppamento::TipiCamere, Raggruppamento::MacroCategorie}) {
        dati::FigureSalvate &f = figure.emplace_back();
        analisi::RichiestaAnalisi richiesta;
        richiesta.dalla = dalla;
        richiesta.alla = alla;
        richiesta.raggruppamento = r;
        richiesta.dati = fonte;
        Raccolta raccolta(f);
        analisi::calcola(richiesta, raccolta);
        f.prenotate.assign(f.vendute.size(), Valuta());
        FigureGiornaliere b(TipoReport::Vendite, r, dalla, alla, MetodoCalcolo::Rapido, prenotazioni);
        const std::size_t n = f.chiavi.size();
        Giorno inizio;
        long giorni = 0;
        const Valuta *cifre = nullptr;
        while (b.prossimoBlocco(inizio, giorni, cifre))
            std::copy(cifre, cifre + static_cast<std::size_t>(giorni) * n,
                      f.prenotate.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(inizio.seriale - primo) * n));
    }
    return figure;
}

dati::centrale::EsitoImportazione importa(const std::string &url, const std::string &struttura, const std::string &cartella,
                                          const std::string &storico)
{
    return dati::centrale::importa({url, struttura}, cartella, storico, &calcolaFigure);
}

} // namespace pc::catena
