#include "AlbergoAnalisi.h"
#include "Configurazione.h"
#include "ErroreDati.h"
#include "Giornale.h"
#include "Messaggio.h"
#include "Pianificazione.h"
#include "RiepilogoGiorno.h"
#include "ScritturaFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using pc::dati::ErroreDati;
using pc::dati::Valuta;
using pc::dati::scriviFileAtomico;

namespace pc::prova {

using namespace pc::posta;

const char *kBase = "[server]\nhost = smtp.example.it\n[messaggio]\nmittente = a@example.it\ndestinatari = b@example.it\n"
                    "[albergo]\ncartella = /srv/albergo\n";

TEST(Configurazione, ChiaviCommentiEValori)
{
    const Configurazione c = configurazioneDaTesto(
        "\xEF\xBB\xBF; commento\n[Server]\nhost = smtp.example.it\nporta = 465\nsicurezza = TLS        ; starttls, tls o nessuna\n"
        "utente = report@example.it  ; AUTH\nchiave_futura = x\n[messaggio]\nmittente = report@example.it\n"
        "destinatari = direttore@example.it, revenue@example.it;altro@example.it\nnome = \"Hotel ; Esempio\"\n"
        "[albergo]\narchivio = postgresql://u@h/db\nstruttura = Hotel Roma\nraggruppamento = Macro\n[invio]\npausa = 0.5\n",
        "f.ini");
    EXPECT_EQ(c.host, "smtp.example.it");
    EXPECT_EQ(c.porta, 465);
    EXPECT_EQ(c.sicurezza, Sicurezza::Tls);
    EXPECT_EQ(c.utente, "report@example.it");
    EXPECT_EQ(c.destinatari, (std::vector<std::string>{"direttore@example.it", "revenue@example.it", "altro@example.it"}));
    EXPECT_EQ(c.nome, "Hotel ; Esempio");
    EXPECT_EQ(c.raggruppamento, "macro");
    EXPECT_EQ(c.pausa, 0.5);
    EXPECT_EQ(urlServer(c), "smtps://smtp.example.it:465");
    // What the dialog writes reads back the same.
    const Configurazione d = configurazioneDaTesto(testoConfigurazione(c), "g.ini");
    EXPECT_EQ(testoConfigurazione(d), testoConfigurazione(c));
}

TEST(Configurazione, EsempioInstallato)
{
    const Configurazione c = leggiConfigurazione(PC_ESEMPIO_INVIO);
    EXPECT_EQ(urlServer(c), "smtp://smtp.example.it:587");
    EXPECT_EQ(c.destinatari.size(), 2u);
    EXPECT_EQ(c.cartella, "/srv/albergo");
    EXPECT_EQ(c.tentativi, 4);
}

TEST(Configurazione, ErroriNominanoLaChiave)
{
    const struct {
        std::string aggiunta, parola;
    } casi[] = {
        {"[server]\nporta = 0\n", "porta"},
        {"[server]\nporta = 25x\n", "porta"},
        {"[server]\nsicurezza = ssl3\n", "sicurezza"},
        {"[messaggio]\ndestinatari = b@example.it, senza-chiocciola\n", "senza-chiocciola"},
        {"[messaggio]\ndestinatari =\n", "destinatari"},
        {"[albergo]\nraggruppamento = piani\n", "piani"},
        {"[albergo]\narchivio = postgresql://h/db\n", "struttura"},
        {"[server\n", "riga 8"},
        {"[server]\nhost\n", "riga 9"},
    };
    for (const auto &c : casi) {
        try {
            configurazioneDaTesto(std::string(kBase) + c.aggiunta, "f.ini");
            ADD_FAILURE() << c.aggiunta;
        } catch (const ErroreDati &e) {
            EXPECT_NE(std::string(e.what()).find(c.parola), std::string::npos) << e.what();
        }
    }
}

TEST(Configurazione, PasswordDaFileSoloDelProprietario)
{
    QTemporaryDir d;
    const std::string f = d.filePath("pw").toStdString();
    Configurazione c = configurazioneDaTesto(kBase, "f.ini");
    c.utente = "u";
    c.filePassword = f;
    scriviFileAtomico(f, "s3greta\nresto\n");
    unsetenv("PC_SMTP_PASSWORD");
    for (const auto &[modo, riuscita] : {std::pair{0600, true}, {0640, false}, {0604, false}}) {
        chmod(f.c_str(), modo);
        try {
            EXPECT_EQ(leggiPassword(c), "s3greta");
            EXPECT_TRUE(riuscita) << modo;
        } catch (const ErroreDati &e) {
            EXPECT_FALSE(riuscita) << modo;
            EXPECT_EQ(std::string(e.what()).find("s3greta"), std::string::npos);
        }
    }
    setenv("PC_SMTP_PASSWORD", "da-ambiente", 1);
    EXPECT_EQ(leggiPassword(c), "da-ambiente");
    unsetenv("PC_SMTP_PASSWORD");
}

TEST(Giornale, GiorniDaInviare)
{
    const Giorno ieri = Giorno::da(2026, 3, 10);
    auto g = [](int m, int d) { return Giorno::da(2026, m, d); };
    const struct {
        std::optional<Giorno> ultimo;
        std::vector<Giorno> attesi;
    } casi[] = {
        {std::nullopt, {ieri}},                              // first run: its own day only
        {g(3, 10), {}},                                      // already sent
        {g(3, 12), {}},                                      // a later day sent by hand
        {g(3, 8), {g(3, 9), g(3, 10)}},                      // two missed
        {g(2, 1), {g(3, 4), g(3, 5), g(3, 6), g(3, 7), g(3, 8), g(3, 9), g(3, 10)}},   // a week at most
    };
    for (const auto &c : casi) EXPECT_EQ(giorniDaInviare(c.ultimo, ieri), c.attesi);
}

TEST(Giornale, RegistraERilegge)
{
    QTemporaryDir d;
    const std::string cartella = d.filePath("stato/produzione-camere").toStdString();
    {
        Giornale g(cartella);
        g.registra(Giorno::da(2026, 3, 9), "Hotel -> a@b.it", "<1@b.it>");
        g.registra(Giorno::da(2026, 3, 10), "Hotel -> a@b.it", "<2@b.it>");
        g.registra(Giorno::da(2026, 3, 11), "Altro -> a@b.it", "<3@b.it>");
    }
    const Giornale g(cartella);
    EXPECT_EQ(g.ultimoInviato("Hotel -> a@b.it"), Giorno::da(2026, 3, 10));
    EXPECT_EQ(g.inviato(Giorno::da(2026, 3, 9), "Hotel -> a@b.it")->idMessaggio, "<1@b.it>");
    EXPECT_FALSE(g.inviato(Giorno::da(2026, 3, 11), "Hotel -> a@b.it"));
    // The same recipients in another order or case are the same message.
    Configurazione a = configurazioneDaTesto(kBase, "f"), b = a;
    a.destinatari = {"x@e.it", "Y@e.it"};
    b.destinatari = {"y@e.it", "x@e.it", "x@e.it"};
    EXPECT_EQ(chiaveInvio(a), chiaveInvio(b));
    b.nome = "Altro";
    EXPECT_NE(chiaveInvio(a), chiaveInvio(b));
}

TEST(Messaggio, CodificheEStruttura)
{
    const struct {
        std::string dati, atteso;
    } casi[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {std::string("\xFF\xFE\xFD\0", 4), "//79AA=="}};
    for (const auto &c : casi) EXPECT_EQ(base64(c.dati, false), c.atteso);
    EXPECT_EQ(base64(std::string(57, 'a'), true).size(), 78u);   // 76 and CR LF
    EXPECT_EQ(intestazioneCodificata("Produzione camere"), "Produzione camere");
    EXPECT_EQ(intestazioneCodificata("Caff\xC3\xA8"), "=?UTF-8?B?Q2FmZsOo?=");
    // A long subject: encoded words short enough for one line each, no UTF-8 sequence cut.
    const std::string lungo = intestazioneCodificata(std::string(30, 'a') + std::string(20, '\xC3') + "x");
    for (std::size_t p = 0, q; p < lungo.size(); p = q + 3) {
        q = lungo.find("\r\n ", p);
        if (q == std::string::npos) q = lungo.size();
        EXPECT_LE(q - p, 75u);
    }

    Messaggio m{"a@e.it", {"b@e.it", "c@e.it"}, "Oggetto", "testo", "<p>html</p>", {{"r.csv", "text/csv", "x;y\r\n"}}, "", 0};
    const std::string t = componiMessaggio(m);
    EXPECT_EQ(m.idMessaggio.front(), '<');
    EXPECT_NE(m.idMessaggio.find("@e.it>"), std::string::npos);
    for (const char *atteso : {"To: b@e.it,\r\n c@e.it\r\n", "multipart/alternative", "text/plain; charset=utf-8", "text/html",
                               "filename=\"r.csv\"", "eDt5DQo=\r\n"})
        EXPECT_NE(t.find(atteso), std::string::npos) << atteso;
    EXPECT_LT(t.find("text/plain"), t.find("text/html"));   // the preferred part last
    for (std::size_t p = 0; (p = t.find('\n', p)) != std::string::npos; ++p) ASSERT_EQ(t[p - 1], '\r');
}

TEST(Pianificazione, OraUnitaECrontab)
{
    const struct {
        const char *testo;
        std::optional<int> minuti;
    } ore[] = {{"07:30", 450}, {"00:00", 0}, {"23:59", 1439}, {"24:00", {}}, {"7:30", {}}, {"07:60", {}}, {"07-30", {}}, {"", {}}};
    for (const auto &o : ore) EXPECT_EQ(leggiOra(o.testo), o.minuti) << o.testo;

    const Unita u = unitaInvio("/usr/bin/produzione-camere", "/srv/conf 100%/\"invio\".ini", 7 * 60 + 5);
    EXPECT_NE(u.servizio.find("ExecStart=\"/usr/bin/produzione-camere\" invia --configurazione \"/srv/conf 100%%/\\\"invio\\\".ini\""),
              std::string::npos) << u.servizio;
    EXPECT_NE(u.timer.find("OnCalendar=*-*-* 07:05:00"), std::string::npos);
    EXPECT_NE(u.timer.find("Persistent=true"), std::string::npos);
    EXPECT_EQ(rigaCrontab("/usr/bin/produzione-camere", "/srv/l'albergo 100%.ini", 7 * 60 + 5),
              "5 7 * * * '/usr/bin/produzione-camere' invia --configurazione '/srv/l'\\''albergo 100\\%.ini'");
}

TEST(Riepilogo, CsvEVariazioni)
{
    RiepilogoGiorno r;
    r.giorno = Giorno::da(2024, 2, 29);
    r.colonne = {"DBL"};
    const char *nomi[3] = {"Giorno", "Mese", "Anno"};
    for (int i = 0; i < 3; ++i) {
        auto &p = r.periodi[i];
        p.nome = nomi[i];
        p.dal = Giorno::da(2024, i == 2 ? 1 : 2, i == 0 ? 29 : 1);
        p.al = r.giorno;
        p.albergo = {Valuta::daIntero(3), Valuta::daTesto("300").value(), 4};
        p.albergoAP = {Valuta::daIntero(2), Valuta::daTesto("150").value(), 4};
        p.colonne = {p.albergo};
        p.colonneAP = {Misure{}};
    }
    const std::string csv = csvRiepilogo(r, true);
    EXPECT_EQ(csv.substr(0, csv.find('\r')), "Periodo;Dal;Al;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR;"
                                              "Disponibili_AP;Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP");
    EXPECT_NE(csv.find("\r\nGiorno;29/02/2024;29/02/2024;4;3;75,0;300,00;100,00;75,00;4;2;50,0;150,00;75,00;37,50\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nAnno DBL;01/01/2024;29/02/2024;4;3;75,0;300,00;100,00;75,00;0;0;;0,00;;\r\n"), std::string::npos) << csv;
    const auto &p = r.periodi[0];
    EXPECT_EQ(puntiOccupazione(p.albergo, p.albergoAP)->formatta(1), "25.0");
    EXPECT_EQ(variazioneAdr(p.albergo, p.albergoAP)->formatta(1), "33.3");
    EXPECT_EQ(variazioneRevpar(p.albergo, p.albergoAP)->formatta(1), "100.0");
    // Room-nights differ (29 days against 28): RevPAR's change follows them.
    EXPECT_EQ(variazioneRevpar({Valuta(), Valuta::daIntero(290), 29}, {Valuta(), Valuta::daIntero(280), 28})->formatta(1), "0.0");
    EXPECT_FALSE(variazioneRevpar(p.albergo, Misure{}));
    EXPECT_EQ(giornoEsteso(r.giorno), "gioved\xC3\xAC 29 febbraio 2024");
    const std::string h = htmlRiepilogo(r, "Hotel <Roma>");
    EXPECT_NE(h.find("Hotel &lt;Roma&gt;"), std::string::npos);
    EXPECT_NE(h.find("#1a7f37"), std::string::npos);   // a rise in green
}

// Worked out by hand from albergoAnalisi(): last year's periods end on
// 28/02/2023 and count it once (the month has 29 nights against 28).
TEST(Riepilogo, VentinoveFebbraioAMano)
{
    CartellaProva c(perIlReport);
    albergoAnalisi().scrivi(c.percorso());
    const RiepilogoGiorno r = calcolaRiepilogo(Giorno::da(2024, 2, 29), Raggruppamento::TipiCamere);
    const std::string csv = csvRiepilogo(r, true);
    for (const char *riga : {
             "\r\nGiorno;29/02/2024;29/02/2024;3;2;66,7;250,00;125,00;83,33;3;1;33,3;90,00;90,00;30,00\r\n",
             "\r\nMese;01/02/2024;29/02/2024;87;3;3,4;350,00;116,67;4,02;84;1;1,2;90,00;90,00;1,07\r\n",
             "\r\nAnno;01/01/2024;29/02/2024;180;3;1,7;350,00;116,67;1,94;177;1;0,6;90,00;90,00;0,51\r\n",
             "\r\nMese DOP;01/02/2024;29/02/2024;58;1;1,7;150,00;150,00;2,59;56;1;1,8;90,00;90,00;1,61\r\n",
             "\r\nGiorno TRI;29/02/2024;29/02/2024;0;0;;0,00;;;0;0;;0,00;;\r\n",
         })
        EXPECT_NE(csv.find(riga), std::string::npos) << riga << csv;
    EXPECT_EQ(r.periodi[1].dalAP, Giorno::da(2023, 2, 1));
    EXPECT_EQ(r.periodi[1].alAP, Giorno::da(2023, 2, 28));

    // A year later the month of February is compared with the whole of
    // February 2024, 29 nights; the day with 28/02/2024.
    const std::string dopo = csvRiepilogo(calcolaRiepilogo(Giorno::da(2025, 2, 28), Raggruppamento::TipiCamere), false);
    for (const char *riga : {
             "\r\nGiorno;28/02/2025;28/02/2025;3;0;0,0;0,00;;0,00;3;1;33,3;100,00;100,00;33,33\r\n",
             "\r\nMese;01/02/2025;28/02/2025;84;0;0,0;0,00;;0,00;87;3;3,4;350,00;116,67;4,02\r\n",
         })
        EXPECT_NE(dopo.find(riga), std::string::npos) << riga << dopo;
}

} // namespace pc::prova
