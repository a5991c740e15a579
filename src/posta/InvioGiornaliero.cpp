#include "InvioGiornaliero.h"

#include "Analisi.h"
#include "Centrale.h"
#include "ErroreDati.h"
#include "Formati.h"
#include "Giornale.h"
#include "PaginaAnalisi.h"
#include "Raggruppamenti.h"
#include "ScritturaFile.h"
#include "Smtp.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

using pc::dati::ErroreDati;
using pc::dati::causaFile;
using pc::dati::causaSistema;

namespace pc::posta {

namespace {

std::string elencoIndirizzi(const std::vector<std::string> &d)
{
    std::string r;
    for (const auto &x : d) r += (r.empty() ? "" : ", ") + x;
    return r;
}

std::string leggiTutto(const QString &nome)
{
    QFile f(nome);
    if (!f.open(QIODevice::ReadOnly)) throw ErroreDati("impossibile rileggere l'allegato \"" + nome.toStdString() + "\": " + causaFile(f, errno));
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace

void attivaAlbergo(const Configurazione &c)
{
    if (!c.archivio.empty()) {
        // Readings that end with their files: an import never waits for the mail.
        dati::impostaFontePredefinita(dati::centrale::apri(c.archivio, c.struttura, true));
    }
    if (!c.cartella.empty() && ::chdir(c.cartella.c_str()) != 0)
        throw ErroreDati("impossibile entrare nella cartella dell'albergo \"" + c.cartella + "\": " + causaSistema(errno));
    if (!c.pclocal.empty()) setenv("PCLocal", c.pclocal.c_str(), 1);
    if (!c.dirkv.empty()) setenv("DIRKV", c.dirkv.c_str(), 1);
}

Messaggio messaggioDelGiorno(const Configurazione &c, Giorno g, bool prova)
{
    const Raggruppamento r = raggruppamentoDaNome(c.raggruppamento).value_or(Raggruppamento::TipiCamere);
    const RiepilogoGiorno s = calcolaRiepilogo(g, r);
    Messaggio m;
    m.mittente = c.mittente;
    m.destinatari = c.destinatari;
    m.oggetto = std::string(prova ? "[Prova] " : "") + "Produzione camere" + (c.nome.empty() ? "" : " " + c.nome) + " - " + g.ggmmaaaa();
    m.testo = testoRiepilogo(s, c.nome, ',') +
              "\nIn allegato: il riepilogo (csv), l'analisi del mese fino al " + g.ggmmaaaa() + " (PDF e xlsx).\n";
    m.html = htmlRiepilogo(s, c.nome);
    const std::string data = g.aaaammgg();
    m.allegati.push_back({"riepilogo-" + data + ".csv", "text/csv; charset=utf-8", csvRiepilogo(s, true)});

    // The month to the day, against the same days of last year.
    analisi::RichiestaAnalisi mese{Giorno::da(g.anno(), g.mese(), 1), g, r, true};
    QTemporaryDir cartella;
    if (!cartella.isValid()) throw ErroreDati("impossibile creare una cartella temporanea per gli allegati: " + cartella.errorString().toStdString());
    const QString xlsx = cartella.filePath(QStringLiteral("analisi.xlsx"));
    analisi::Riepilogo riepilogo;
    {
        analisi::ScrittoreXlsx foglio(xlsx);
        analisi::Ripartitore entrambi({&riepilogo, &foglio});
        analisi::calcola(mese, entrambi);
    }
    m.allegati.push_back({"analisi-" + data + ".pdf", "application/pdf", analisi::pdfAnalisi(riepilogo)});
    m.allegati.push_back({"analisi-" + data + ".xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", leggiTutto(xlsx)});
    return m;
}

int eseguiInvio(const Configurazione &c, const OpzioniInvio &o, const Notifica &avviso, const Notifica &errore)
{
    const std::string stato = o.cartellaStato.empty() ? cartellaStato() : o.cartellaStato;
    // Before anything is sent: the journal's folder usable, and this run the only one.
    BloccoGiornale blocco(stato, avviso);
    Giornale giornale(stato);
    const std::string chiave = chiaveInvio(c);
    const Giorno ieri{o.oggi.seriale - 1};
    const bool prova = !o.prova.empty();
    std::vector<Giorno> giorni;
    if (o.giorno) giorni = {*o.giorno};
    else if (prova || o.forza) giorni = {ieri};
    else {
        const auto ultimo = giornale.ultimoInviato(chiave);
        giorni = giorniDaInviare(ultimo, ieri);
        if (ultimo && !giorni.empty() && giorni.front().seriale > ultimo->seriale + 1)
            avviso("i giorni dal " + Giorno{ultimo->seriale + 1}.ggmmaaaa() + " al " + Giorno{giorni.front().seriale - 1}.ggmmaaaa() +
                   " sono di pi\xC3\xB9 di una settimana fa e non si inviano da soli (--giorno GG/MM/AAAA per ciascuno).");
    }
    if (giorni.empty()) {
        avviso("il riepilogo del " + ieri.ggmmaaaa() + " \xC3\xA8 gi\xC3\xA0 stato inviato: nulla da inviare.");
        return 0;
    }
    if (!prova && !o.forza) {
        std::vector<Giorno> daInviare;
        for (Giorno g : giorni) {
            if (auto v = giornale.inviato(g, chiave))
                avviso("il riepilogo del " + g.ggmmaaaa() + " \xC3\xA8 gi\xC3\xA0 stato inviato (" + v->istante + ", Message-ID " + v->idMessaggio +
                       "): nulla da inviare; --forza per inviarlo di nuovo.");
            else
                daInviare.push_back(g);
        }
        giorni = std::move(daInviare);
        if (giorni.empty()) return 0;
    }
    const std::string password = c.utente.empty() ? std::string() : leggiPassword(c);
    const std::vector<std::string> destinatari = prova ? std::vector<std::string>{o.prova} : c.destinatari;
    const std::string server = urlServer(c);
    for (Giorno g : giorni) {
        Messaggio m = messaggioDelGiorno(c, g, prova);
        m.destinatari = destinatari;
        const std::string testo = componiMessaggio(m);
        const EsitoInvio esito = inviaConTentativi(c, password, destinatari, testo, [&](int tentativo, const EsitoInvio &e) {
            avviso("tentativo " + std::to_string(tentativo) + " di " + std::to_string(c.tentativi) + " non riuscito (" + server + "): " + e.risposta);
        });
        if (!esito.riuscito) {
            errore("invio del riepilogo del " + g.ggmmaaaa() + " tramite " + server + " non riuscito: " + esito.risposta +
                   ". Nulla \xC3\xA8 stato registrato come inviato.");
            return 1;
        }
        if (!prova) {
            try {
                giornale.registra(g, chiave, m.idMessaggio);
            } catch (const ErroreDati &e) {
                errore("riepilogo del " + g.ggmmaaaa() + " inviato (Message-ID " + m.idMessaggio + ") ma non registrato: " + e.what() +
                       " Il prossimo invio lo ripeter\xC3\xA0.");
                return 1;
            }
        }
        avviso("riepilogo del " + g.ggmmaaaa() + " inviato a " + elencoIndirizzi(destinatari) + " tramite " + server + " (Message-ID " + m.idMessaggio + ").");
    }
    return 0;
}

} // namespace pc::posta
