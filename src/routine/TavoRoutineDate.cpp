#include "TavoRoutineDate.h"

#include "Calendario.h"
#include "DateReport.h"

#include <limits>

namespace pc::TavoRoutine {

namespace {

bool eCifra(QChar c) { return c >= u'0' && c <= u'9'; }

// Blanks skipped when reading a number: space, tab, line feed, carriage return.
bool eVuoto(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Characters from..from+count-1 (from counted from 1), clipped to the text.
QStringView pezzo(const QString &testo, qsizetype da, qsizetype quanti)
{
    const qsizetype inizio = da - 1;
    if (inizio >= testo.size()) return {};
    return QStringView(testo).mid(inizio, qMin(quanti, testo.size() - inizio));
}

struct Data {
    long long giorno = 0, mese = 0, anno = 0;
};

// Day in characters 1-2, month in 4-5, year in 7-10.
Data leggiData(const QString &testo)
{
    return {ValoreIniziale(pezzo(testo, 1, 2)), ValoreIniziale(pezzo(testo, 4, 2)), ValoreIniziale(pezzo(testo, 7, 4))};
}

// Writes a cleaned mode-1 text as a whole number with grouped thousands.
// Works on the digits themselves, so any length is exact. Returns a null
// string when the text is not a number.
QString formattaNumero(const QString &pulito, const QLocale &locale)
{
    const bool virgolaDecimale = locale.decimalPoint() == QStringLiteral(",");
    QString intera, frazione;
    bool negativo = false, inFrazione = false, qualcheCifra = false;
    for (qsizetype i = 0; i < pulito.size(); ++i) {
        const QChar c = pulito.at(i);
        if (c == u'-') {
            if (i != 0) return {};
            negativo = true;
        } else if (c == u',') {
            if (!virgolaDecimale) continue;   // a thousands separator in this locale
            if (inFrazione) return {};
            inFrazione = true;
        } else {
            qualcheCifra = true;
            (inFrazione ? frazione : intera).append(c);
        }
    }
    if (!qualcheCifra) return {};

    // Leading zeros off, then round half away from zero on the first decimal.
    qsizetype primaUtile = 0;
    while (primaUtile < intera.size() && intera.at(primaUtile) == u'0') ++primaUtile;
    intera = intera.mid(primaUtile);
    if (!frazione.isEmpty() && frazione.at(0) >= u'5') {
        qsizetype i = intera.size() - 1;
        while (i >= 0 && intera.at(i) == u'9') intera[i--] = u'0';
        if (i >= 0) intera[i] = QChar(intera.at(i).unicode() + 1);
        else intera.prepend(u'1');
    }
    if (intera.isEmpty()) return QStringLiteral("0");   // also "-0,4": no negative zero

    const QString separatore = locale.groupSeparator();
    QString risultato;
    for (qsizetype i = 0; i < intera.size(); ++i) {
        if (i > 0 && (intera.size() - i) % 3 == 0) risultato.append(separatore);
        risultato.append(intera.at(i));
    }
    if (negativo) risultato.prepend(u'-');
    return risultato;
}

} // namespace

long long ValoreIniziale(QStringView pezzo)
{
    constexpr long long massimo = std::numeric_limits<long long>::max() / 10 - 1;
    qsizetype i = 0;
    auto saltaVuoti = [&] {
        while (i < pezzo.size() && eVuoto(pezzo.at(i))) ++i;
    };
    saltaVuoti();
    bool negativo = false;
    if (i < pezzo.size() && (pezzo.at(i) == u'-' || pezzo.at(i) == u'+')) {
        negativo = pezzo.at(i) == u'-';
        ++i;
    }
    long long valore = 0;
    for (saltaVuoti(); i < pezzo.size() && eCifra(pezzo.at(i)); ++i, saltaVuoti())
        if (valore < massimo) valore = valore * 10 + (pezzo.at(i).unicode() - u'0');
    return negativo ? -valore : valore;
}

QString PulisciTesto(const QString &Testo, short Modo, const QLocale &locale)
{
    const bool numero = Modo == 1 || Modo == 2;
    QString risultato;
    risultato.reserve(Testo.size());
    for (const QChar carattere : Testo) {
        const QChar c = carattere.toUpper();
        if (!numero) risultato.append(c == u'\'' ? QChar(0x00B4) : c);
        else if (eCifra(c) || c == u',' || c == u'-') risultato.append(c);
    }
    if (risultato.isEmpty()) return numero ? QStringLiteral("0") : QStringLiteral(" ");
    if (Modo != 2) return risultato;
    const QString formattato = formattaNumero(risultato, locale);
    return (formattato.isNull() ? risultato : formattato).trimmed();
}

QString CompletaData(const QString &Testo)
{
    if (Testo.size() == 6) {
        const QString anno = Testo.mid(4, 2);
        const int aa = static_cast<int>(ValoreIniziale(anno));   // two characters: -9..99
        const QString secolo = dati::calendario::annoDaDueCifre(aa) >= 2000 ? QStringLiteral("/20") : QStringLiteral("/19");
        return Testo.left(2) + u'/' + Testo.mid(2, 2) + secolo + anno;
    }
    if (Testo.size() == 8) return Testo.left(2) + u'/' + Testo.mid(2, 2) + u'/' + Testo.mid(4, 4);
    return Testo;
}

short DataValida(const QString &Testo)
{
    // Only blanks are trimmed, as a typed date may carry no other padding.
    qsizetype inizio = 0, fine = Testo.size();
    while (inizio < fine && Testo.at(inizio) == u' ') ++inizio;
    while (fine > inizio && Testo.at(fine - 1) == u' ') --fine;
    const QString data = Testo.mid(inizio, fine - inizio);
    if (data.size() != 10) return 0;

    // The same reading as the report's own (Giorno::leggi), so that a date
    // accepted here is never refused, nor read otherwise, by the report.
    const auto giorno = Giorno::leggi(data.toStdString());
    if (!giorno || giorno->anno() < 1900) return 0;
    GiorniMese[2] = AnnoBisestile(short(giorno->anno())) == 1 ? 29 : 28;
    return giorno->giorno() <= GiorniMese[giorno->mese()] ? 1 : 0;
}

short PeriodoValido(const QString &DataDa, const QString &DataA)
{
    const Data da = leggiData(DataDa.left(10));
    const Data a = leggiData(DataA.left(10));
    if (da.anno > a.anno) return 0;
    if (da.anno == a.anno && da.mese > a.mese) return 0;
    if (da.anno == a.anno && da.mese == a.mese && da.giorno > a.giorno) return 0;
    return 1;
}

short AnnoBisestile(short Anno) { return dati::calendario::bisestile(Anno) ? 1 : 0; }

} // namespace pc::TavoRoutine
