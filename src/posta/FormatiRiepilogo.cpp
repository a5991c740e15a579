#include "RiepilogoGiorno.h"

#include "Formati.h"

#include <array>

using pc::dati::Valuta;

namespace pc::posta {

namespace {

using analisi::virgolette;

// Sold rooms are whole numbers but a booking's quantity need not be.
std::string quantita(Valuta v, char separatore)
{
    if (v.grezzo() % Valuta::Scala == 0) return v.formatta(0, separatore);
    std::string t = v.formatta(4, separatore);
    while (t.back() == '0') t.pop_back();
    return t;
}

std::string cifra(const std::optional<Valuta> &v, int decimali, char separatore)
{
    return v ? v->formatta(decimali, separatore) : std::string();
}

void misureCsv(std::string &riga, const Misure &m)
{
    riga += ';' + std::to_string(m.disponibili);
    riga += ';' + quantita(m.vendute, ',');
    riga += ';' + cifra(occupazioneDi(m), 1, ',');
    riga += ';' + m.ricavo.formatta(2, ',');
    riga += ';' + cifra(adrDi(m), 2, ',');
    riga += ';' + cifra(revparDi(m), 2, ',');
}

std::string rigaCsv(const std::string &periodo, const Periodo &p, const Misure &ora, const Misure &ap)
{
    std::string riga = virgolette(periodo) + ';' + p.dal.ggmmaaaa() + ';' + p.al.ggmmaaaa();
    misureCsv(riga, ora);
    misureCsv(riga, ap);
    return riga + "\r\n";
}

std::string html(const std::string &t)
{
    std::string r;
    for (char c : t) {
        switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '"': r += "&quot;"; break;
        default: r += c;
        }
    }
    return r;
}

// "+12,5%", "-3,0 punti", "" when there is nothing to compare.
std::string variazioneTesto(const std::optional<Valuta> &v, const char *unita, char sep)
{
    if (!v) return {};
    std::string t = v->formatta(1, sep);
    if (v->grezzo() > 0) t = "+" + t;
    return t + unita;
}

std::string periodoTesto(const Periodo &p, bool annoPrima)
{
    const Giorno dal = annoPrima ? p.dalAP : p.dal, al = annoPrima ? p.alAP : p.al;
    if (dal == al) return al.ggmmaaaa();
    return "dal " + dal.ggmmaaaa() + " al " + al.ggmmaaaa();
}

// "57737,60" -> "57.737,60": thousands marked where the decimal mark is a comma.
std::string migliaia(std::string t, char sep)
{
    if (sep != ',') return t;
    const auto virgola = t.find(',');
    std::size_t fine = virgola == std::string::npos ? t.size() : virgola;
    const std::size_t inizio = !t.empty() && t[0] == '-' ? 1 : 0;
    while (fine > inizio + 3) {
        fine -= 3;
        t.insert(fine, 1, '.');
    }
    return t;
}

struct Voce {
    const char *nome;
    std::string ora, prima, variazione;
    int segno;   // of the change: 1 better, -1 worse, 0 none
};

std::array<Voce, 6> voci(const Periodo &p, char sep)
{
    const Misure &a = p.albergo, &b = p.albergoAP;
    auto segno = [](const std::optional<Valuta> &v) { return !v ? 0 : v->grezzo() > 0 ? 1 : v->grezzo() < 0 ? -1 : 0; };
    auto occ = [&](const Misure &m) { auto o = occupazioneDi(m); return o ? o->formatta(1, sep) + "%" : std::string("-"); };
    auto euro = [&](const std::optional<Valuta> &v) { return v ? migliaia(v->formatta(2, sep), sep) : std::string("-"); };
    const auto vOcc = puntiOccupazione(a, b), vAdr = variazioneAdr(a, b), vRev = variazioneRevpar(a, b),
               vRic = variazioneRicavo(a, b), vVen = variazioneVendute(a, b);
    return {{
        {"Occupazione", occ(a), occ(b), variazioneTesto(vOcc, " punti", sep), segno(vOcc)},
        {"ADR", euro(adrDi(a)), euro(adrDi(b)), variazioneTesto(vAdr, "%", sep), segno(vAdr)},
        {"RevPAR", euro(revparDi(a)), euro(revparDi(b)), variazioneTesto(vRev, "%", sep), segno(vRev)},
        {"Ricavo camere", euro(a.ricavo), euro(b.ricavo), variazioneTesto(vRic, "%", sep), segno(vRic)},
        {"Camere vendute", migliaia(quantita(a.vendute, sep), sep), migliaia(quantita(b.vendute, sep), sep), variazioneTesto(vVen, "%", sep), segno(vVen)},
        {"Camere disponibili", migliaia(std::to_string(a.disponibili), sep), migliaia(std::to_string(b.disponibili), sep), std::string(), 0},
    }};
}

const char *titoloPeriodo(int i)
{
    static const char *titoli[3] = {"Giorno", "Mese in corso", "Anno in corso"};
    return titoli[i];
}

std::string aDestra(const std::string &t, std::size_t larghezza)
{
    // Widths count characters, not bytes (UTF-8 continuation bytes excluded).
    std::size_t n = 0;
    for (unsigned char c : t) n += (c & 0xC0) != 0x80;
    return n >= larghezza ? t : std::string(larghezza - n, ' ') + t;
}

// "Occupazione 71,4% (-3,6 punti), RevPAR 98,43 (-5,1%), ricavo 5.512,00": the day at a glance.
std::string anteprima(const RiepilogoGiorno &r)
{
    const auto v = voci(r.periodi[0], ',');
    std::string t;
    for (int i : {0, 2, 3}) {
        t += (t.empty() ? "" : ", ") + std::string(v[i].nome) + " " + v[i].ora;
        if (!v[i].variazione.empty()) t += " (" + v[i].variazione + ")";
    }
    return t;
}

} // namespace

std::string giornoEsteso(Giorno g)
{
    static const char *giorni[7] = {"gioved\xC3\xAC", "venerd\xC3\xAC", "sabato", "domenica", "luned\xC3\xAC", "marted\xC3\xAC", "mercoled\xC3\xAC"};
    static const char *mesi[12] = {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno",
                                   "luglio", "agosto", "settembre", "ottobre", "novembre", "dicembre"};
    // Day 0 of the serial numbers, 1 January 1970, was a Thursday.
    const long k = ((g.seriale % 7) + 7) % 7;
    return std::string(giorni[k]) + " " + std::to_string(g.giorno()) + " " + mesi[g.mese() - 1] + " " + std::to_string(g.anno());
}

std::string csvRiepilogo(const RiepilogoGiorno &r, bool perColonna)
{
    std::string t = "Periodo;Dal;Al;Disponibili;Vendute;Occupazione;Ricavo;ADR;RevPAR;"
                    "Disponibili_AP;Vendute_AP;Occupazione_AP;Ricavo_AP;ADR_AP;RevPAR_AP\r\n";
    for (const auto &p : r.periodi) t += rigaCsv(p.nome, p, p.albergo, p.albergoAP);
    if (perColonna)
        for (const auto &p : r.periodi)
            for (std::size_t k = 0; k < r.colonne.size(); ++k) t += rigaCsv(p.nome + " " + r.colonne[k], p, p.colonne[k], p.colonneAP[k]);
    return t;
}

std::string testoRiepilogo(const RiepilogoGiorno &r, const std::string &nome, char separatore)
{
    std::string t = "Produzione camere" + (nome.empty() ? std::string() : " " + nome) + " - " + giornoEsteso(r.giorno) + "\n";
    for (int i = 0; i < 3; ++i) {
        const Periodo &p = r.periodi[i];
        t += "\n" + std::string(titoloPeriodo(i)) + " (" + periodoTesto(p, false) + "; anno precedente " + periodoTesto(p, true) + ")\n";
        t += std::string(20, ' ') + aDestra("attuale", 14) + aDestra("anno prec.", 14) + aDestra("variazione", 16) + "\n";
        for (const auto &v : voci(p, separatore)) {
            std::string etichetta = v.nome;
            etichetta.resize(20, ' ');
            t += etichetta + aDestra(v.ora, 14) + aDestra(v.prima, 14) + aDestra(v.variazione, 16) + "\n";
        }
    }
    return t;
}

std::string htmlRiepilogo(const RiepilogoGiorno &r, const std::string &nome)
{
    const std::string titolo = "Produzione camere" + (nome.empty() ? std::string() : " " + nome);
    std::string h = "<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\">"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                    "<title>" + html(titolo + " - " + r.giorno.ggmmaaaa()) + "</title></head>\n"
                    "<body style=\"margin:0;padding:0;background:#f2f4f7;\">\n"
                    // The line mail clients show beside the subject in the inbox.
                    "<div style=\"display:none;max-height:0;overflow:hidden;\">" + html(anteprima(r)) + "</div>\n"
                    "<table role=\"presentation\" width=\"100%\" cellpadding=\"0\" cellspacing=\"0\" style=\"background:#f2f4f7;\"><tr><td align=\"center\" style=\"padding:16px 8px;\">\n"
                    "<table role=\"presentation\" width=\"640\" cellpadding=\"0\" cellspacing=\"0\" style=\"max-width:640px;width:100%;font-family:Arial,Helvetica,sans-serif;color:#1f2933;\">\n";
    h += "<tr><td style=\"padding:8px 4px 16px 4px;\"><div style=\"font-size:22px;font-weight:bold;\">" + html(titolo) +
         "</div><div style=\"font-size:15px;color:#52606d;\">" + html(giornoEsteso(r.giorno)) + "</div></td></tr>\n";
    for (int i = 0; i < 3; ++i) {
        const Periodo &p = r.periodi[i];
        h += "<tr><td style=\"padding:12px 4px 4px 4px;font-size:16px;font-weight:bold;\">" + html(titoloPeriodo(i)) +
             " <span style=\"font-weight:normal;color:#52606d;font-size:13px;\">" + html(periodoTesto(p, false)) +
             " &middot; anno precedente " + html(periodoTesto(p, true)) + "</span></td></tr>\n";
        h += "<tr><td><table role=\"presentation\" width=\"100%\" cellpadding=\"0\" cellspacing=\"6\">\n";
        const auto v = voci(p, ',');
        for (int riga = 0; riga < 2; ++riga) {
            h += "<tr>";
            for (int c = 0; c < 3; ++c) {
                const Voce &x = v[riga * 3 + c];
                const char *colore = x.segno > 0 ? "#1a7f37" : x.segno < 0 ? "#c62828" : "#52606d";
                const char *freccia = x.segno > 0 ? "&#9650; " : x.segno < 0 ? "&#9660; " : "";
                h += "<td width=\"33%\" valign=\"top\" style=\"background:#ffffff;border:1px solid #d9e2ec;border-radius:6px;padding:10px 12px;\">"
                     "<div style=\"font-size:12px;color:#52606d;text-transform:uppercase;\">" + html(x.nome) + "</div>"
                     "<div style=\"font-size:22px;font-weight:bold;padding:4px 0;\">" + html(x.ora) + "</div>"
                     "<div style=\"font-size:12px;color:#52606d;\">anno prec. " + html(x.prima) + "</div>";
                if (!x.variazione.empty())
                    h += "<div style=\"font-size:13px;font-weight:bold;color:" + std::string(colore) + ";\">" + freccia + html(x.variazione) + "</div>";
                h += "</td>";
            }
            h += "</tr>\n";
        }
        h += "</table></td></tr>\n";
    }
    if (!r.colonne.empty()) {
        // The month by column: where the change came from.
        const Periodo &p = r.periodi[1];
        const char *cella = "padding:4px 6px;border-bottom:1px solid #d9e2ec;text-align:right;";
        h += "<tr><td style=\"padding:16px 4px 4px 4px;font-size:16px;font-weight:bold;\">Mese in corso per " +
             html(r.raggruppamento == Raggruppamento::NumeriCamere ? "camera" : r.raggruppamento == Raggruppamento::MacroCategorie ? "macro categoria" : "tipo camera") +
             "</td></tr>\n<tr><td><table role=\"presentation\" width=\"100%\" cellpadding=\"0\" cellspacing=\"0\" "
             "style=\"background:#ffffff;border:1px solid #d9e2ec;font-size:13px;\">\n<tr style=\"color:#52606d;\">";
        for (const char *t : {"", "Occupazione", "ADR", "RevPAR", "Ricavo", "RevPAR anno prec. (variazione)"})
            h += std::string("<th style=\"") + cella + "font-weight:normal;\">" + t + "</th>";
        h += "</tr>\n";
        for (std::size_t k = 0; k < r.colonne.size(); ++k) {
            const Misure &a = p.colonne[k], &b = p.colonneAP[k];
            const auto v = variazioneRevpar(a, b);
            const char *colore = !v || v->zero() ? "#52606d" : v->grezzo() > 0 ? "#1a7f37" : "#c62828";
            auto cifraOpz = [](const std::optional<Valuta> &x, int d, const char *u) { return x ? migliaia(x->formatta(d, ','), ',') + u : std::string("-"); };
            h += std::string("<tr><td style=\"") + cella + "text-align:left;font-weight:bold;\">" + html(r.colonne[k]) + "</td>" +
                 "<td style=\"" + cella + "\">" + cifraOpz(occupazioneDi(a), 1, "%") + "</td>" +
                 "<td style=\"" + cella + "\">" + cifraOpz(adrDi(a), 2, "") + "</td>" +
                 "<td style=\"" + cella + "\">" + cifraOpz(revparDi(a), 2, "") + "</td>" +
                 "<td style=\"" + cella + "\">" + migliaia(a.ricavo.formatta(2, ','), ',') + "</td>" +
                 "<td style=\"" + cella + "color:" + colore + ";\">" + cifraOpz(revparDi(b), 2, "") +
                 (v ? " (" + variazioneTesto(v, "%", ',') + ")" : std::string()) + "</td></tr>\n";
        }
        h += "</table></td></tr>\n";
    }
    h += "<tr><td style=\"padding:16px 4px;font-size:12px;color:#7b8794;\">Camere vendute e ricavo come nel report della produzione camere; "
         "in allegato il riepilogo (csv) e l'analisi del mese (PDF e xlsx).</td></tr>\n"
         "</table></td></tr></table>\n</body></html>\n";
    return h;
}

} // namespace pc::posta
