#include "Pagine.h"

#include "Testi.h"

using pc::dati::Valuta;

namespace pc::ufficio {

namespace {

using analisi::Cifre;

std::string query(const std::vector<std::pair<std::string, std::string>> &v)
{
    std::string q;
    for (const auto &[k, x] : v) q += (q.empty() ? "?" : "&") + k + "=" + perUrl(x);
    return q;
}

std::string pagina(const std::string &titolo, const std::string &corpo, const Contorno &c)
{
    std::string p = "<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\">"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                    "<title>" + html(titolo) + " \xE2\x80\x93 Produzione camere</title>"
                    "<link rel=\"stylesheet\" href=\"/static/ufficio.css\"></head><body>\n<header><a class=\"marchio\" href=\"/\">"
                    "Produzione camere \xC2\xB7 Ufficio catena</a>";
    if (!c.utente.empty())
        p += "<span class=\"utente\">" + html(c.utente) +
             "</span><form method=\"post\" action=\"/logout\"><button type=\"submit\">Esci</button></form>";
    p += "</header>\n<main>\n" + corpo + "</main>\n";
    if (!c.utente.empty())
        p += "<script src=\"/static/chart.min.js\"></script><script src=\"/static/ufficio.js\"></script>\n";
    return p + "</body></html>\n";
}

// A measure of a period: the figure, last year's below it, and both as sort
// and check keys.
struct Misura {
    const char *nome;
    int decimali;
    const char *unita;
    std::optional<Valuta> (*ora)(const Cifre &);
    std::optional<Valuta> (*prima)(const Cifre &);
};

const Misura Misure[] = {
    {"occupazione", 1, " %", [](const Cifre &c) { return analisi::occupazione(c.vendute, c.disponibili); },
     [](const Cifre &c) { return analisi::occupazione(c.venduteAP, c.disponibiliAP); }},
    {"adr", 2, " \xE2\x82\xAC", [](const Cifre &c) { return analisi::adr(c.ricavo, c.vendute); },
     [](const Cifre &c) { return analisi::adr(c.ricavoAP, c.venduteAP); }},
    {"revpar", 2, " \xE2\x82\xAC", [](const Cifre &c) { return analisi::revpar(c.ricavo, c.disponibili); },
     [](const Cifre &c) { return analisi::revpar(c.ricavoAP, c.disponibiliAP); }},
    {"ricavo", 2, " \xE2\x82\xAC", [](const Cifre &c) { return std::optional<Valuta>(c.ricavo); },
     [](const Cifre &c) { return std::optional<Valuta>(c.ricavoAP); }},
};

std::string cella(const Misura &m, const char *periodo, const Cifre &c)
{
    const auto ora = m.ora(c), prima = m.prima(c);
    std::string t = "<td data-periodo=\"" + std::string(periodo) + "\" data-misura=\"" + m.nome + "\" data-valore=\"" +
                    (ora ? numero(ora, m.decimali) : std::string()) + "\" data-valore-ap=\"" +
                    (prima ? numero(prima, m.decimali) : std::string()) + "\">" + cifra(ora, m.decimali) + (ora ? m.unita : "");
    std::string classe = "ap";
    if (ora && prima) classe += *ora > *prima ? " su" : *ora < *prima ? " giu" : "";
    return t + "<small class=\"" + classe + "\">a.p. " + cifra(prima, m.decimali) + (prima ? m.unita : "") + "</small></td>";
}

std::string rigaCatena(const RigaCatena &r, const Giorno &giorno, bool totale)
{
    std::string t = totale ? "<tr class=\"totale\"><th scope=\"row\">" + html(r.struttura) + "</th>"
                           : "<tr><th scope=\"row\" data-struttura=\"" + html(r.struttura) + "\"><a href=\"/struttura" +
                                 html(query({{"nome", r.struttura}, {"dal", Giorno{giorno.seriale - 29}.ggmmaaaa()}, {"al", giorno.ggmmaaaa()}})) +
                                 "\">" + html(r.struttura) + "</a></th>";
    for (const auto &[periodo, c] : {std::pair{"giorno", &r.giorno}, {"mese", &r.mese}, {"anno", &r.anno}})
        for (const auto &m : Misure) t += cella(m, periodo, *c);
    return t + "</tr>\n";
}

std::string jsonCifre(const Cifre &c)
{
    std::string t = "{\"disponibili\":" + std::to_string(c.disponibili) + ",\"disponibili_ap\":" + std::to_string(c.disponibiliAP) +
                    ",\"vendute\":" + numero(c.vendute, 0) +
                    ",\"vendute_ap\":" + numero(c.venduteAP, 0);
    for (const auto &m : Misure)
        t += ",\"" + std::string(m.nome) + "\":" + numero(m.ora(c), m.decimali) + ",\"" + m.nome + "_ap\":" + numero(m.prima(c), m.decimali);
    return t + "}";
}

std::string jsonRiga(const RigaCatena &r)
{
    return "{\"struttura\":" + json(r.struttura) + ",\"giorno\":" + jsonCifre(r.giorno) + ",\"mese\":" + jsonCifre(r.mese) +
           ",\"anno\":" + jsonCifre(r.anno) + "}";
}

std::string periodoTesto(const analisi::Riepilogo &r)
{
    return r.intestazione.richiesta.dalla.ggmmaaaa() + " \xE2\x80\x93 " + r.intestazione.richiesta.alla.ggmmaaaa();
}

std::string rigaPeriodo(const std::string &colonna, const Cifre &c, bool totale)
{
    std::string t = totale ? "<tr class=\"totale\">" : "<tr>";
    t += "<th scope=\"row\" data-colonna=\"" + html(colonna) + "\">" + html(colonna) + "</th>";
    auto td = [&](const char *nome, const std::optional<Valuta> &v, int dec, const char *unita) {
        t += "<td data-misura=\"" + std::string(nome) + "\" data-valore=\"" + (v ? numero(v, dec) : std::string()) + "\">" +
             cifra(v, dec) + (v ? unita : "") + "</td>";
    };
    td("disponibili", Valuta::daIntero(c.disponibili), 0, "");
    td("vendute", c.vendute, 0, "");
    for (const auto &m : Misure) td(m.nome, m.ora(c), m.decimali, m.unita);
    td("vendute_ap", c.venduteAP, 0, "");
    for (const auto &m : Misure) td((std::string(m.nome) + "_ap").c_str(), m.prima(c), m.decimali, m.unita);
    return t + "</tr>\n";
}

} // namespace

std::string paginaLogin(const std::string &messaggio, const std::string &utente)
{
    std::string corpo = "<section class=\"accesso\"><h1>Accesso</h1>";
    if (!messaggio.empty()) corpo += "<p class=\"errore\" role=\"alert\">" + html(messaggio) + "</p>";
    corpo += "<form method=\"post\" action=\"/login\">"
             "<label>Utente <input name=\"utente\" id=\"utente\" autocomplete=\"username\" required value=\"" + html(utente) + "\"></label>"
             "<label>Password <input name=\"password\" id=\"password\" type=\"password\" autocomplete=\"current-password\" required></label>"
             "<button type=\"submit\" id=\"entra\">Entra</button></form></section>\n";
    return pagina("Accesso", corpo, {});
}

std::string paginaErrore(int codice, const std::string &messaggio, const Contorno &c)
{
    std::string titolo;
    switch (codice) {
    case 400: titolo = "Richiesta non valida"; break;
    case 401: titolo = "Accesso richiesto"; break;
    case 403: titolo = "Accesso non consentito"; break;
    case 404: titolo = "Pagina non trovata"; break;
    case 405: titolo = "Metodo non consentito"; break;
    case 413: titolo = "Richiesta troppo grande"; break;
    case 503: titolo = "Archivio centrale non disponibile"; break;
    default: titolo = codice >= 500 ? "Errore del server" : "Richiesta non eseguita"; break;
    }
    std::string corpo = "<section class=\"errore-pagina\"><h1>" + html(titolo) + "</h1><p class=\"errore\">" + html(messaggio) +
                        "</p><p>Codice " + std::to_string(codice) + ". <a href=\"/\">Torna alla situazione della catena</a>";
    if (c.utente.empty()) corpo += " o <a href=\"/login\">accedi</a>";
    return pagina(titolo, corpo + ".</p></section>\n", c);
}

std::string paginaCatena(const Catena &catena, const Contorno &c)
{
    const std::string g = catena.giorno.ggmmaaaa();
    std::string corpo = "<h1>Situazione della catena al " + g + "</h1>\n"
                        "<form class=\"scelta\" method=\"get\" action=\"/\"><label>Giorno <input name=\"giorno\" value=\"" + g +
                        "\" pattern=\"\\d{2}/\\d{2}/\\d{4}\" size=\"10\"></label><button type=\"submit\">Mostra</button></form>\n"
                        "<p class=\"nota\">Giorno, mese e anno fino al " + g +
                        ", confrontati con gli stessi giorni dell'anno precedente (a.p.). Fare clic su un'intestazione per ordinare.</p>\n"
                        "<div class=\"scorri\"><table id=\"catena\" class=\"ordinabile\"><thead><tr><th></th>"
                        "<th colspan=\"4\">Giorno " + g + "</th><th colspan=\"4\">Mese al " + g + "</th><th colspan=\"4\">Anno al " + g +
                        "</th></tr>\n<tr><th scope=\"col\">Struttura</th>";
    for (int p = 0; p < 3; ++p) corpo += "<th scope=\"col\">Occupazione</th><th scope=\"col\">ADR</th><th scope=\"col\">RevPAR</th><th scope=\"col\">Ricavo</th>";
    corpo += "</tr></thead>\n<tbody>\n";
    for (const auto &r : catena.righe) corpo += rigaCatena(r, catena.giorno, false);
    corpo += "</tbody>\n<tfoot>\n" + rigaCatena(catena.totale, catena.giorno, true) + "</tfoot></table></div>\n";
    if (catena.righe.empty()) corpo += "<p class=\"nota\">Nessuna struttura nell'archivio centrale.</p>\n";
    return pagina("Catena al " + g, corpo, c);
}

std::string paginaStruttura(const std::string &struttura, const analisi::Riepilogo &r, const Contorno &c)
{
    const auto &q = r.intestazione.richiesta;
    const std::string dal = q.dalla.ggmmaaaa(), al = q.alla.ggmmaaaa(), gruppo = nomeRaggruppamento(q.raggruppamento);
    std::string corpo = "<h1>" + html(struttura) + "</h1>\n<form class=\"scelta\" method=\"get\" action=\"/struttura\">"
                        "<input type=\"hidden\" name=\"nome\" value=\"" + html(struttura) + "\">"
                        "<label>Dal <input name=\"dal\" value=\"" + dal + "\" size=\"10\" pattern=\"\\d{2}/\\d{2}/\\d{4}\"></label>"
                        "<label>Al <input name=\"al\" value=\"" + al + "\" size=\"10\" pattern=\"\\d{2}/\\d{2}/\\d{4}\"></label>"
                        "<label>Raggruppamento <select name=\"raggruppamento\">";
    for (const char *g : {"tipi", "macro", "camere"})
        corpo += "<option value=\"" + std::string(g) + "\"" + (gruppo == g ? " selected" : "") + ">" +
                 titoloRaggruppamento(*raggruppamentoDaNome(g)) + "</option>";
    corpo += "</select></label><button type=\"submit\">Mostra</button></form>\n";
    const std::string api = "/api/giorni" + query({{"struttura", struttura}, {"dal", dal}, {"al", al}});
    corpo += "<h2>Occupazione e RevPAR per giorno, " + periodoTesto(r) + "</h2>\n"
             "<div class=\"grafico\"><canvas id=\"grafico\" role=\"img\" aria-label=\"Occupazione e RevPAR per giorno\" data-api=\"" +
             html(api) + "\"></canvas></div>\n<p class=\"nota\">Tratteggio: stessi giorni dell'anno precedente.</p>\n";
    corpo += "<h2>Periodo " + periodoTesto(r) + " per " + html(titoloRaggruppamento(q.raggruppamento)) +
             "</h2>\n<div class=\"scorri\"><table id=\"periodo\" class=\"ordinabile\"><thead><tr><th scope=\"col\">Colonna</th>"
             "<th scope=\"col\">Disponibili</th><th scope=\"col\">Vendute</th><th scope=\"col\">Occupazione</th><th scope=\"col\">ADR</th>"
             "<th scope=\"col\">RevPAR</th><th scope=\"col\">Ricavo</th><th scope=\"col\">Vendute a.p.</th><th scope=\"col\">Occupazione a.p.</th>"
             "<th scope=\"col\">ADR a.p.</th><th scope=\"col\">RevPAR a.p.</th><th scope=\"col\">Ricavo a.p.</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < r.totaliColonne.size() && i < r.intestazione.colonne.size(); ++i)
        corpo += rigaPeriodo(r.intestazione.colonne[i], r.totaliColonne[i], false);
    corpo += "</tbody>\n<tfoot>\n" + rigaPeriodo("Totale albergo", r.totaleAlbergo, true) + "</tfoot></table></div>\n";
    auto scarica = [&](const std::string &percorso, const std::vector<std::pair<std::string, std::string>> &v, const std::string &testo) {
        return "<li><a href=\"" + html(percorso + query(v)) + "\" download>" + html(testo) + "</a></li>";
    };
    corpo += "<h2>Scarica</h2>\n<ul class=\"scarica\">";
    for (const char *tipo : {"produzione", "vendite"}) {
        const std::vector<std::pair<std::string, std::string>> v = {
            {"struttura", struttura}, {"dal", dal}, {"al", al}, {"tipo", tipo}, {"raggruppamento", gruppo}};
        auto conCsv = v;
        conCsv.emplace_back("formato", "csv");
        corpo += scarica("/api/stampa", v, std::string("Report ") + tipo + " (testo)");
        corpo += scarica("/api/stampa", conCsv, std::string("Report ") + tipo + " (csv)");
    }
    for (const char *formato : {"csv", "xlsx"})
        corpo += scarica("/api/analisi",
                         {{"struttura", struttura}, {"dal", dal}, {"al", al}, {"raggruppamento", gruppo}, {"confronto", "data"}, {"formato", formato}},
                         std::string("Analisi (") + formato + ")");
    corpo += "</ul>\n";
    return pagina(struttura, corpo, c);
}

std::string jsonStrutture(const std::vector<std::string> &strutture)
{
    std::string t = "{\"strutture\":[";
    for (std::size_t i = 0; i < strutture.size(); ++i) t += (i ? "," : "") + json(strutture[i]);
    return t + "]}\n";
}

std::string jsonCatena(const Catena &catena)
{
    std::string t = "{\"giorno\":" + json(catena.giorno.ggmmaaaa()) + ",\"strutture\":[";
    for (std::size_t i = 0; i < catena.righe.size(); ++i) t += (i ? "," : "") + jsonRiga(catena.righe[i]);
    return t + "],\"totale\":" + jsonRiga(catena.totale) + "}\n";
}

std::string jsonGiorni(const std::string &struttura, const analisi::Riepilogo &r)
{
    std::string t = "{\"struttura\":" + json(struttura) + ",\"giorni\":[";
    for (std::size_t i = 0; i < r.date.size() && i < r.albergoPerGiorno.size(); ++i)
        t += std::string(i ? "," : "") + "{\"data\":" + json(r.date[i].ggmmaaaa()) + "," + jsonCifre(r.albergoPerGiorno[i]).substr(1);
    return t + "]}\n";
}

std::string jsonPeriodo(const std::string &struttura, const analisi::Riepilogo &r)
{
    const auto &q = r.intestazione.richiesta;
    std::string t = "{\"struttura\":" + json(struttura) + ",\"dal\":" + json(q.dalla.ggmmaaaa()) + ",\"al\":" + json(q.alla.ggmmaaaa()) +
                    ",\"raggruppamento\":" + json(nomeRaggruppamento(q.raggruppamento)) + ",\"colonne\":[";
    for (std::size_t i = 0; i < r.totaliColonne.size() && i < r.intestazione.colonne.size(); ++i)
        t += std::string(i ? "," : "") + "{\"colonna\":" + json(r.intestazione.colonne[i]) + "," + jsonCifre(r.totaliColonne[i]).substr(1);
    return t + "],\"totale\":" + jsonCifre(r.totaleAlbergo) + "}\n";
}

const std::string &foglioStile()
{
    static const std::string s = R"(body{font-family:"DejaVu Sans",Arial,sans-serif;margin:0;color:#1d2430;background:#f6f7f9}
header{display:flex;align-items:center;gap:1em;background:#23395d;color:#fff;padding:.5em 1em}
header a{color:#fff;text-decoration:none;font-weight:bold}header .utente{margin-left:auto}
header form{margin:0}main{padding:1em 1.5em}h1{font-size:1.4em}h2{font-size:1.1em;margin-top:1.5em}
table{border-collapse:collapse;background:#fff;font-size:.9em}th,td{border:1px solid #d5d9e0;padding:.3em .5em}
td{text-align:right;white-space:nowrap}td small{display:block;color:#667;font-size:.8em}
td small.su{color:#1a7f37}td small.giu{color:#b42318}thead th{background:#e9edf3;cursor:pointer}
tr.totale{font-weight:bold;background:#eef2f7}th[aria-sort=ascending]::after{content:" \25B2"}
th[aria-sort=descending]::after{content:" \25BC"}.scorri{overflow-x:auto}.nota{color:#556;font-size:.85em}
.grafico{position:relative;height:340px;max-width:1100px;background:#fff;border:1px solid #d5d9e0;padding:.5em}
.scelta{display:flex;gap:1em;align-items:end;flex-wrap:wrap}.errore{color:#b42318}
.accesso{max-width:22em;margin:3em auto;background:#fff;padding:1.5em;border:1px solid #d5d9e0}
.accesso label{display:block;margin:.6em 0}.accesso input{width:100%;box-sizing:border-box}
ul.scarica{columns:2;max-width:40em}#catena tbody th,#catena tfoot th{text-align:left;min-width:12em}
)";
    return s;
}

const std::string &scriptPagine()
{
    static const std::string s = R"('use strict';
function ordinabile(t) {
  const intestazioni = t.tHead.rows[t.tHead.rows.length - 1].cells;
  Array.from(intestazioni).forEach(function (th, i) {
    th.tabIndex = 0;
    const ordina = function () {
      const crescente = th.getAttribute('aria-sort') !== 'ascending';
      Array.from(intestazioni).forEach(function (x) { x.removeAttribute('aria-sort'); });
      th.setAttribute('aria-sort', crescente ? 'ascending' : 'descending');
      const corpo = t.tBodies[0];
      const chiave = function (r) {
        const c = r.cells[i];
        if (c.dataset.valore === undefined) return c.textContent.toLocaleLowerCase('it');
        return c.dataset.valore === '' ? -Infinity : parseFloat(c.dataset.valore);
      };
      Array.from(corpo.rows).sort(function (a, b) {
        const x = chiave(a), y = chiave(b);
        const d = x < y ? -1 : (x > y ? 1 : 0);
        return crescente ? d : -d;
      }).forEach(function (r) { corpo.appendChild(r); });
    };
    th.addEventListener('click', ordina);
    th.addEventListener('keydown', function (e) { if (e.key === 'Enter') ordina(); });
  });
}
function grafico(canvas) {
  fetch(canvas.dataset.api, {credentials: 'same-origin'}).then(function (r) {
    if (!r.ok) throw new Error(r.status);
    return r.json();
  }).then(function (d) {
    const g = d.giorni;
    const serie = function (etichetta, campo, asse, colore, tratteggio) {
      return {label: etichetta, data: g.map(function (x) { return x[campo]; }), yAxisID: asse, borderColor: colore,
              backgroundColor: colore, borderDash: tratteggio ? [6, 4] : [], pointRadius: g.length > 62 ? 0 : 2,
              borderWidth: 2, spanGaps: true};
    };
    new Chart(canvas, {
      type: 'line',
      data: {labels: g.map(function (x) { return x.data; }), datasets: [
        serie('Occupazione %', 'occupazione', 'occ', '#1f5fa8', false),
        serie('Occupazione % a.p.', 'occupazione_ap', 'occ', '#1f5fa8', true),
        serie('RevPAR \u20AC', 'revpar', 'rev', '#c2410c', false),
        serie('RevPAR \u20AC a.p.', 'revpar_ap', 'rev', '#c2410c', true)]},
      options: {animation: false, responsive: true, maintainAspectRatio: false,
        interaction: {mode: 'index', intersect: false},
        scales: {occ: {type: 'linear', position: 'left', min: 0, title: {display: true, text: 'Occupazione %'}},
                 rev: {type: 'linear', position: 'right', min: 0, grid: {drawOnChartArea: false},
                       title: {display: true, text: 'RevPAR \u20AC'}}}}
    });
    canvas.dataset.disegnato = 'si';
  }).catch(function () {
    canvas.insertAdjacentText('afterend', 'Grafico non disponibile.');
    canvas.dataset.disegnato = 'no';
  });
}
document.addEventListener('DOMContentLoaded', function () {
  document.querySelectorAll('table.ordinabile').forEach(ordinabile);
  const c = document.getElementById('grafico');
  if (c && window.Chart) grafico(c);
  else if (c) { c.insertAdjacentText('afterend', 'Grafico non disponibile (Chart.js assente).'); c.dataset.disegnato = 'no'; }
});
)";
    return s;
}

} // namespace pc::ufficio
