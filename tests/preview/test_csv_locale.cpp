// A revenue report written by the report writer and converted into the
// spreadsheet file, under the locale the test runs with: this file is built
// twice, for Italian settings (decimal comma) and for C (decimal point).

#include "AlbergoDiProva.h"

#include "ConvertiXLS.h"
#include "FileReport.h"
#include "StampaProduzione.h"

#include <QFile>

#include <gtest/gtest.h>

using pc::anteprima::ConvertiXLS;
using pc::anteprima::nomeFileCsv;

using namespace pc;
using namespace pc::prova;

namespace {

// The locale is chosen here, before anything reads it (the system locale is
// read once per process); an environment list given to the test runner
// reaches it only in part.
const bool localeImpostato = [] {
    qputenv("LC_ALL", PC_LOCALE);
    qputenv("LANG", PC_LOCALE);
    return true;
}();

std::string leggi(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return "<assente>";
    return f.readAll().toStdString();
}

// PC_SUITE names the suite after the locale: CTest knows tests by name, and
// two binaries with the same names would share one environment.
TEST(PC_SUITE, GliImportiDelReportArrivanoInteri)
{
    ASSERT_EQ(separatoreDecimale(), PC_SEPARATORE_ATTESO);
    AlbergoDiProva a;
    a.numeriCamere = {{I(1), T("1"), T("A")}, {I(1), T("2"), T("A")}, {I(1), T("3"), T("A")}, {I(1), T("4"), T("A")}};
    a.tipiCamere = {{I(1), T("A"), T("C")}};
    a.vociFattura = {{I(1), T("PERN"), T("ARR")}};
    a.conti = {{I(1), T("20120301"), T("PERN"), T("1"), R(1234.5)}, {I(1), T("20120301"), T("PERN"), T("2"), R(0.005)},
               {I(1), T("20120301"), T("PERN"), T("3"), R(-0.015)}, {I(1), T("20120301"), T("PERN"), T("4"), R(2.0049)}};
    CartellaProva c(perIlReport);
    a.scrivi(c.percorso());
    StampaProduzione({"01/03/2012", "01/03/2012", TipoReport::Produzione, Raggruppamento::NumeriCamere});

    ConvertiXLS(nomeFileReport());
    const std::string csv = leggi(QString::fromStdString(nomeFileCsv()));
    EXPECT_EQ(nomeFileCsv(), "fd7.csv");
    EXPECT_NE(csv.find(",01/03/2012,  \x80" "1234.50,     \x80" "0.01,    \x80-0.02,     \x80" "2.00,\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",TOTALI    ,  \x80" "1234.50,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("\n\r"), std::string::npos);
}

} // namespace
