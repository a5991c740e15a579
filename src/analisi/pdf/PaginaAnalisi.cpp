#include "PaginaAnalisi.h"

#include "ErroreDati.h"
#include "Formati.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <functional>

using pc::dati::ErroreDati;
using pc::dati::Valuta;

namespace pc::analisi {

namespace {

const QColor kPeriodo(31, 119, 180), kAnnoPrima(255, 127, 14), kPrenotazione(255, 236, 179);

double numero(const std::optional<Valuta> &v) { return v ? static_cast<double>(v->grezzo()) / Valuta::Scala : std::nan(""); }

// One panel: a measure per day, this year's line and last year's.
void pannello(QPainter &p, const QRectF &area, const QString &titolo, const Riepilogo &r,
              const std::function<std::optional<Valuta>(const Cifre &, bool)> &misura, const QString &unita)
{
    const bool confronto = r.intestazione.richiesta.confronto;
    const std::size_t giorni = r.albergoPerGiorno.size();
    double massimo = 0;
    for (const auto &c : r.albergoPerGiorno)
        for (int ap = 0; ap < (confronto ? 2 : 1); ++ap)
            if (auto v = misura(c, ap == 1)) massimo = std::max(massimo, numero(v));
    if (massimo <= 0) massimo = 1;
    // A round top for the scale: 1, 2 or 5 times a power of ten.
    const double passo = std::pow(10.0, std::floor(std::log10(massimo)));
    double alto = passo;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * passo >= massimo) {
            alto = f * passo;
            break;
        }

    const QFontMetricsF fm(p.font(), p.device());
    p.setPen(Qt::black);
    p.drawText(QPointF(area.left(), area.top() + fm.ascent()), titolo);
    const double margineSx = fm.horizontalAdvance(QStringLiteral("0000,00 ")) + 4;
    const QRectF grafico(area.left() + margineSx, area.top() + fm.height() * 1.6, area.width() - margineSx - 4,
                         area.height() - fm.height() * 3.2);
    p.setPen(QPen(QColor(200, 200, 200), 0));
    for (int k = 0; k <= 4; ++k) {
        const double y = grafico.bottom() - grafico.height() * k / 4;
        p.drawLine(QPointF(grafico.left(), y), QPointF(grafico.right(), y));
        p.save();
        p.setPen(Qt::black);
        const QString etichetta = QLocale(QLocale::Italian).toString(alto * k / 4, 'f', alto < 10 ? 1 : 0) + unita;
        p.drawText(QRectF(area.left(), y - fm.height() / 2, margineSx - 6, fm.height()), Qt::AlignRight | Qt::AlignVCenter, etichetta);
        p.restore();
    }
    auto x = [&](std::size_t d) { return giorni == 1 ? grafico.center().x() : grafico.left() + grafico.width() * d / (giorni - 1); };
    // The days on the books, shaded behind the lines.
    const double mezzoGiorno = giorni > 1 ? grafico.width() / (giorni - 1) / 2 : grafico.width() / 2;
    bool conPrenotazioni = false;
    for (std::size_t d = 0; d < giorni; ++d)
        if (r.albergoPerGiorno[d].inPrenotazione()) {
            conPrenotazioni = true;
            const double a = std::max(grafico.left(), x(d) - mezzoGiorno), b = std::min(grafico.right(), x(d) + mezzoGiorno);
            p.fillRect(QRectF(a, grafico.top(), b - a, grafico.height()), kPrenotazione);
        }
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(grafico);
    // The legend, at the top right.
    {
        struct Voce {
            QString testo;
            QPen penna;
            bool area;
        };
        const double spessore = std::max(1.0, fm.height() / 8);
        std::vector<Voce> voci = {{QStringLiteral("Periodo"), QPen(kPeriodo, spessore), false}};
        if (confronto) voci.push_back({QStringLiteral("Anno precedente"), QPen(kAnnoPrima, spessore, Qt::DashLine), false});
        if (conPrenotazioni) voci.push_back({QStringLiteral("In prenotazione"), QPen(), true});
        const double campione = fm.height() * 2;
        double destra = area.right();
        for (auto it = voci.rbegin(); it != voci.rend(); ++it) {
            const double w = fm.horizontalAdvance(it->testo);
            destra -= w;
            p.setPen(Qt::black);
            p.drawText(QPointF(destra, area.top() + fm.ascent()), it->testo);
            destra -= campione + 4;
            const double y = area.top() + fm.height() / 2;
            if (it->area) {
                p.fillRect(QRectF(destra, area.top() + 1, campione, fm.height() - 2), kPrenotazione);
            } else {
                p.setPen(it->penna);
                p.drawLine(QPointF(destra, y), QPointF(destra + campione, y));
            }
            destra -= fm.horizontalAdvance(QStringLiteral("M")) * 1.5;
        }
        p.setPen(QPen(Qt::black, 0));
    }
    if (giorni == 0) return;
    // Dates under the axis, about eight of them, with the year when the period spans more than one.
    const bool piuAnni = r.date.front().anno() != r.date.back().anno();
    const std::size_t ogni = std::max<std::size_t>(1, (giorni + 7) / 8);
    for (std::size_t d = 0; d < giorni; d += ogni) {
        const std::string data = r.date[d].ggmmaaaa();
        const QString t = QString::fromStdString(piuAnni ? data.substr(0, 6) + data.substr(8) : data.substr(0, 5));
        const double w = fm.horizontalAdvance(t) + 2;
        p.drawText(QRectF(x(d) - w / 2, grafico.bottom() + 2, w, fm.height()), Qt::AlignHCenter | Qt::AlignTop, t);
    }
    for (int ap = confronto ? 1 : 0; ap >= 0; --ap) {
        QPainterPath linea;
        bool aperta = false;
        for (std::size_t d = 0; d < giorni; ++d) {
            const Cifre &c = r.albergoPerGiorno[d];
            // Days before the hotel's first recorded day are missing, not 0.
            const auto v = (ap ? c.mancanteAP : c.mancante) ? std::nullopt : misura(c, ap == 1);
            if (!v) {
                aperta = false;
                continue;
            }
            const QPointF punto(x(d), grafico.bottom() - grafico.height() * std::clamp(numero(v) / alto, 0.0, 1.0));
            if (aperta) linea.lineTo(punto);
            else linea.moveTo(punto);
            aperta = true;
        }
        p.setPen(QPen(ap ? kAnnoPrima : kPeriodo, std::max(1.0, fm.height() / 8), ap ? Qt::DashLine : Qt::SolidLine));
        p.drawPath(linea);
    }
}

} // namespace

void disegnaAnalisi(const Riepilogo &r, QPagedPaintDevice &dispositivo)
{
    QPainter p(&dispositivo);
    if (!p.isActive()) throw ErroreDati("Impossibile disegnare l'analisi: il dispositivo di stampa non \xC3\xA8 pronto.");
    const QRectF pagina(0, 0, dispositivo.width(), dispositivo.height());
    QFont carattere(QStringLiteral("DejaVu Sans"));
    carattere.setPointSizeF(9);
    p.setFont(carattere);
    const QFontMetricsF fm(p.font(), p.device());
    const RichiestaAnalisi &q = r.intestazione.richiesta;
    const bool confronto = q.confronto;

    QFont titolo = carattere;
    titolo.setPointSizeF(13);
    titolo.setBold(true);
    p.setFont(titolo);
    const QString testoTitolo = QStringLiteral("Analisi produzione camere dal %1 al %2 - %3")
                                    .arg(QString::fromStdString(q.dalla.ggmmaaaa()), QString::fromStdString(q.alla.ggmmaaaa()),
                                         QString::fromUtf8(titoloRaggruppamento(q.raggruppamento)));
    const Periodo precedente = r.intestazione.precedente;
    const double hTitolo = QFontMetricsF(titolo, &dispositivo).height();
    p.drawText(QPointF(0, QFontMetricsF(titolo, &dispositivo).ascent()), testoTitolo);
    p.setFont(carattere);
    double y = hTitolo * 1.4;
    if (confronto) {
        const QString legenda = QStringLiteral("Periodo (linea continua) e anno precedente %1, dal %2 al %3 (tratteggiato)")
                                    .arg(q.modoConfronto == ModoConfronto::Settimana ? QStringLiteral("per giorno della settimana")
                                                                                     : QStringLiteral("per data"),
                                         QString::fromStdString(precedente.dalla.ggmmaaaa()), QString::fromStdString(precedente.alla.ggmmaaaa()));
        p.drawText(QPointF(0, y + fm.ascent()), legenda);
        y += fm.height() * 1.5;
    }
    const double hPannello = (pagina.height() - y) / 2;
    pannello(p, QRectF(0, y, pagina.width(), hPannello), QStringLiteral("Occupazione % per giorno (Totale albergo)"), r,
             [](const Cifre &c, bool ap) { return occupazione(ap ? c.venduteAP : c.vendute, ap ? c.disponibiliAP : c.disponibili); }, QStringLiteral("%"));
    pannello(p, QRectF(0, y + hPannello, pagina.width(), hPannello), QStringLiteral("RevPAR per giorno (Totale albergo)"), r,
             [](const Cifre &c, bool ap) { return revpar(ap ? c.ricavoAP : c.ricavo, ap ? c.disponibiliAP : c.disponibili); }, QString());

    // The period table, as the terminal summary shows it (in blocks of at
    // most 100 characters), on the next pages: 9 points, smaller only on a
    // page too narrow for 100 of them, never below 7.
    const std::string tabella = testoRiepilogo(r, ',');
    QFont fisso(QStringLiteral("DejaVu Sans Mono"));
    fisso.setPointSizeF(9);
    {
        const double w = QFontMetricsF(fisso, &dispositivo).horizontalAdvance(QString(100, QLatin1Char('0')));
        if (w > pagina.width()) fisso.setPointSizeF(std::max(7.0, 9 * pagina.width() / w));
    }
    const QFontMetricsF fmFisso(fisso, &dispositivo);
    p.setPen(Qt::black);
    std::size_t inizio = 0;
    double yt = pagina.height();   // start a new page at once
    while (inizio < tabella.size()) {
        std::size_t fine = tabella.find('\n', inizio);
        if (fine == std::string::npos) fine = tabella.size();
        if (yt + fmFisso.height() > pagina.height()) {
            if (!dispositivo.newPage()) throw ErroreDati("Impossibile aggiungere una pagina all'analisi.");
            p.setFont(fisso);
            yt = 0;
        }
        p.drawText(QPointF(0, yt + fmFisso.ascent()), QString::fromUtf8(tabella.data() + inizio, static_cast<qsizetype>(fine - inizio)));
        yt += fmFisso.height();
        inizio = fine + 1;
    }
    p.end();
}

std::string pdfAnalisi(const Riepilogo &r)
{
    QBuffer memoria;
    memoria.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&memoria);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(QStringLiteral("Analisi produzione camere"));
        pdf.setCreator(QStringLiteral("produzione-camere"));
        disegnaAnalisi(r, pdf);
    }
    const QByteArray &b = memoria.data();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void scriviPdf(const Riepilogo &r, const QString &nome)
{
    scriviFile(nome, pdfAnalisi(r));
}

} // namespace pc::analisi
