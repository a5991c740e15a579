// Gathering the settings of a print from the hotel databases, and a whole
// print from the report file to the recorded printer.

#include "StampanteRegistrata.h"

#include "DestinazioniStampa.h"
#include "ErroreDati.h"
#include "ImpostazioniStampa.h"
#include "ScrittoreSqlite.h"
#include "StampaReport.h"
#include "TavoRoutine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

using pc::dati::ErroreDati;
using pc::dati::Valore;
using pc::stampa::EsitoStampa;
using pc::stampa::SceltaStampa;
using pc::stampa::arrotondaPari;
using pc::stampa::leggiCodiceAssistenza;
using pc::stampa::leggiGruppi;
using pc::stampa::leggiNumero;
using pc::stampa::raccogliImpostazioni;
using pc::stampa::stampaReport;

namespace pc::prova {

using namespace pc;
using namespace pc::demo;
using pc::prova::StampanteRegistrata;

// --- Reading the groups ---

TEST(GruppiStampa, DodiciGruppiDiTreCaratteri)
{
    const auto c = leggiGruppi("008000000000000001010");
    EXPECT_EQ(c, (std::array<double, 12>{8, 0, 0, 0, 0, 1, 10, 0, 0, 0, 0, 0}));
    const auto g = leggiGruppi("000000000000000003066072");
    EXPECT_EQ(g[5], 3);
    EXPECT_EQ(g[6], 66);
    EXPECT_EQ(g[7], 72);
    // Blanks ignored, a point starts decimals, other characters end the number.
    EXPECT_EQ(leggiGruppi(" 8 7.51x2ab")[0], 8);
    EXPECT_EQ(leggiGruppi(" 8 7.51x2ab")[1], 7.5);
    EXPECT_EQ(leggiGruppi(" 8 7.51x2ab")[2], 1);
    EXPECT_EQ(leggiGruppi(" 8 7.51x2ab")[3], 0);   // "ab": not a number
    // A text shorter than twelve groups: the missing groups are 0, a cut group is read as it is.
    const auto corta = leggiGruppi("02701");
    EXPECT_EQ(corta[0], 27);
    EXPECT_EQ(corta[1], 1);
    EXPECT_EQ(corta[2], 0);
    EXPECT_EQ(leggiGruppi("")[0], 0);
}

TEST(GruppiStampa, NumeriEArrotondamentoAlPari)
{
    EXPECT_EQ(leggiNumero("  -3"), -3);
    EXPECT_EQ(leggiNumero("1 2"), 12);
    EXPECT_EQ(leggiNumero("."), 0);
    EXPECT_EQ(leggiNumero("9.25"), 9.25);
    EXPECT_EQ(arrotondaPari(2.5), 2);
    EXPECT_EQ(arrotondaPari(3.5), 4);
    EXPECT_EQ(arrotondaPari(-2.5), -2);
    EXPECT_EQ(arrotondaPari(0.5), 0);
    EXPECT_EQ(arrotondaPari(2.6), 3);
    EXPECT_EQ(arrotondaPari(1e30), std::numeric_limits<long long>::max());
    EXPECT_EQ(arrotondaPari(-1e30), std::numeric_limits<long long>::min());
    EXPECT_EQ(arrotondaPari(-0x1p63), std::numeric_limits<long long>::min());
}

// --- The databases ---

namespace {

class HotelDiStampa : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_prima = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
        m_pclocal = qgetenv("PCLocal");
        qputenv("PCLocal", "4");
        TavoRoutine::HotelCorrente = 1;
        stampanti = {
            {I(1), T("LASER"), I(1), T("Ufficio")},
            {I(1), T("Sala d'attesa"), I(2), T("sala.prn")},
            {I(1), T("SENZATIPO"), I(9), T("senzatipo.prn")},
            {I(2), T("MEZZO"), R(2.5), T("mezzo.prn")},
        };
        setStampa = {
            {I(1), T("008000000000000001010"), T("000000000000000003066072")},
            {I(2), T("027015000000000000018001002003004"), T("000000000000000002050070")},
        };
        contatori = {{I(1), I(40), I(60)}, {I(2), I(30), I(50)}};
        scriviArchivi();
    }
    void TearDown() override
    {
        QDir::setCurrent(m_prima);
        if (m_pclocal.isNull()) qunsetenv("PCLocal");
        else qputenv("PCLocal", m_pclocal);
        TavoRoutine::HotelCorrente = 1;
    }

    void scriviArchivi()
    {
        scriviArchivio("Stampanti.mdb", {{"Stampanti", colonneSuite("Stampanti"), stampanti}, {"SetStampa", colonneSuite("SetStampa"), setStampa}});
        scriviArchivio("Contatori.mdb", {{"Contatori", colonneSuite("Contatori"), contatori}});
        scriviArchivio("AnagraficaHotels.mdb", {{"AnagraficaHotels", colonneSuite("AnagraficaHotels"), {{I(2), T("XY")}, {I(1), T("AKU")}}}});
    }

    static void scriviFile(const char *nome, const std::string &contenuto)
    {
        QFile f(nome);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenuto.data(), static_cast<qint64>(contenuto.size()));
    }

    static SceltaStampa scelta(const std::string &destinazione)
    {
        SceltaStampa s;
        s.destinazione = destinazione;
        return s;
    }

    std::vector<std::vector<Valore>> stampanti, setStampa, contatori;

private:
    QTemporaryDir m_dir;
    QString m_prima;
    QByteArray m_pclocal;
};

} // namespace

TEST_F(HotelDiStampa, CompressaENormale)
{
    SceltaStampa s = scelta("LASER");
    auto imp = raccogliImpostazioni(s);
    EXPECT_EQ(imp.font, "Courier New");
    EXPECT_EQ(imp.lunghezzaPagina, 60);
    EXPECT_EQ(imp.C[0], 8);
    EXPECT_EQ(imp.C[6], 10);
    EXPECT_TRUE(imp.suStampanteDiSistema());
    EXPECT_EQ(imp.margineAlto, 3);
    EXPECT_EQ(imp.lunghezzaRiempimento, 72);
    EXPECT_EQ(imp.dispositivo, "Ufficio");
    s.compressa = true;
    imp = raccogliImpostazioni(s);
    EXPECT_EQ(imp.lunghezzaPagina, 40);
    EXPECT_EQ(imp.lunghezzaRiempimento, 66);
}

TEST_F(HotelDiStampa, LunghezzaPaginaDellAlbergoCorrenteOSessanta)
{
    TavoRoutine::HotelCorrente = 2;
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).lunghezzaPagina, 50);
    TavoRoutine::HotelCorrente = 3;
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).lunghezzaPagina, 60);
}

TEST_F(HotelDiStampa, DestinazioneConApostrofoEPercorsoGrezzo)
{
    const auto imp = raccogliImpostazioni(scelta("Sala d'attesa"));
    EXPECT_EQ(imp.destinazione, "Sala d'attesa");
    EXPECT_EQ(imp.tipoStampa, 2);
    EXPECT_FALSE(imp.suStampanteDiSistema());
    EXPECT_EQ(imp.C[0], 27);
    EXPECT_EQ(imp.margineAlto, 2);
    EXPECT_EQ(imp.lunghezzaRiempimento, 70);
    EXPECT_EQ(imp.dispositivo, "sala.prn");
}

TEST_F(HotelDiStampa, TipoDiStampaArrotondatoAlPari)
{
    // 2.5 gives type 2 (of any hotel: the destination is found by its name only).
    const auto imp = raccogliImpostazioni(scelta("MEZZO"));
    EXPECT_EQ(imp.tipoStampa, 2);
    EXPECT_TRUE(imp.tipoTrovato);
    EXPECT_EQ(imp.C[0], 27);
}

TEST_F(HotelDiStampa, TipoSenzaRecordTuttoZeroRiempimento66)
{
    const auto imp = raccogliImpostazioni(scelta("SENZATIPO"));
    EXPECT_FALSE(imp.tipoTrovato);
    EXPECT_FALSE(imp.suStampanteDiSistema());
    EXPECT_EQ(imp.C, (std::array<double, 12>{}));
    EXPECT_EQ(imp.margineAlto, 0);
    EXPECT_EQ(imp.lunghezzaRiempimento, 66);
}

TEST_F(HotelDiStampa, DestinazioneMancanteEUnErroreChiaro)
{
    try {
        raccogliImpostazioni(scelta("INESISTENTE"));
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("\"INESISTENTE\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Stampanti"), std::string::npos) << e.what();
    }
    // An apostrophe cannot change the criterion into another one.
    EXPECT_THROW(raccogliImpostazioni(scelta("x' Or Destinazione <> '")), ErroreDati);
}

TEST_F(HotelDiStampa, DispositivoDaVariabileDAmbienteOStampanteScelta)
{
    ASSERT_EQ(setenv("LASER", "StampanteDelPiano", 1), 0);
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).dispositivo, "StampanteDelPiano");
    ASSERT_EQ(setenv("LASER", "", 1), 0);   // empty: the destination's own Linea
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).dispositivo, "Ufficio");
    unsetenv("LASER");

    SceltaStampa s = scelta("LASER");
    s.stampante = "   ";
    EXPECT_EQ(raccogliImpostazioni(s).dispositivo, "Ufficio");
    s.stampante = "<nessuna stampante>";
    EXPECT_EQ(raccogliImpostazioni(s).dispositivo, "<nessuna stampante>");
    s.stampante = " Reception ";   // not blank: used unchanged
    EXPECT_EQ(raccogliImpostazioni(s).dispositivo, " Reception ");
}

TEST_F(HotelDiStampa, FontDaFontStpSenzaBlanchi)
{
    scriviFile("FontStp.txt", "  Lucida Console  \r\nseconda riga\r\n");
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).font, "Lucida Console");
    scriviFile("FontStp.txt", "   \r\n");
    EXPECT_EQ(raccogliImpostazioni(scelta("LASER")).font, "Courier New");
}

TEST_F(HotelDiStampa, CampoSenzaValoreEUnErrore)
{
    contatori = {{I(1), N(), I(60)}};
    scriviArchivi();
    SceltaStampa s = scelta("LASER");
    EXPECT_NO_THROW(raccogliImpostazioni(s));
    s.compressa = true;
    try {
        raccogliImpostazioni(s);
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("LungPagComp"), std::string::npos) << e.what();
    }
}

TEST_F(HotelDiStampa, ArchivioMancanteEUnErrore)
{
    QFile::remove("Contatori.mdb");
    EXPECT_THROW(raccogliImpostazioni(scelta("LASER")), ErroreDati);
}

// --- A whole print ---

TEST_F(HotelDiStampa, StampaCompletaDalFileDelReport)
{
    scriviFile("FontStp.txt", "  Lucida Console  \r\n");
    scriviFile("fd4", "titolo\r\n\xDA\xC4\xBF\r\n");
    StampanteRegistrata st;
    SceltaStampa s = scelta("LASER");
    s.stampante = "<nessuna stampante>";
    const EsitoStampa esito = stampaReport(s, leggiCodiceAssistenza().value_or(""), &st);
    EXPECT_TRUE(esito.suStampanteDiSistema);
    EXPECT_EQ(st.stampanteScelta, "<nessuna stampante>");
    EXPECT_NE(std::find(st.operazioni.begin(), st.operazioni.end(), "font Lucida Console"), st.operazioni.end());
    ASSERT_EQ(st.pagine.size(), 1u);
    ASSERT_EQ(st.pagine[0].righe.size(), 6u);
    // The hotel's code is "AKU": lines unchanged.
    EXPECT_EQ(StampanteRegistrata::testo(st.pagine[0].righe[5]), "\xDA\xC4\xBF");
    EXPECT_EQ(leggiCodiceAssistenza().value_or("?"), "AKU");
}

TEST_F(HotelDiStampa, StampaGrezzaCompletaSuFile)
{
    scriviFile("fd4", "a\r\nb\r\n");
    const EsitoStampa esito = stampaReport(scelta("Sala d'attesa"), "", nullptr);
    EXPECT_FALSE(esito.suStampanteDiSistema);
    QFile f("sala.prn");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), std::string("\x12\x01\x02\x03\x04 \r\n \r\na\r\nb\r\n\f", 18));
}

TEST_F(HotelDiStampa, SenzaFileDelReportNienteStampato)
{
    StampanteRegistrata st;
    try {
        stampaReport(scelta("LASER"), "", &st);
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("\"fd4\""), std::string::npos) << e.what();
    }
    EXPECT_TRUE(st.operazioni.empty());
    EXPECT_THROW(stampaReport(scelta("Sala d'attesa"), "", nullptr), ErroreDati);
    EXPECT_FALSE(QFile::exists("sala.prn"));
}

// --- The shared test hotel (SQLite twins of the suite's files) ---

namespace {

class HotelCondiviso : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString cartella = QStringLiteral(PC_DATI_PROVA "/hotel-jet/sqlite");
        m_prima = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(cartella));   // only read: nothing is written there
        TavoRoutine::HotelCorrente = 1;
    }
    void TearDown() override
    {
        if (!m_prima.isEmpty()) QDir::setCurrent(m_prima);
        TavoRoutine::HotelCorrente = 1;
    }
    QString m_prima;
};

} // namespace

TEST_F(HotelCondiviso, DestinazioneConCodiciSeparatiDaVirgole)
{
    SceltaStampa s;
    s.destinazione = "LPT1";
    auto imp = raccogliImpostazioni(s);
    EXPECT_EQ(imp.tipoStampa, 1);
    // "27,15": groups "27," and "15"; "27,69" likewise.
    EXPECT_EQ(imp.C[0], 27);
    EXPECT_EQ(imp.C[1], 15);
    EXPECT_EQ(imp.C[2], 0);
    EXPECT_EQ(imp.G[0], 27);
    EXPECT_EQ(imp.G[1], 69);
    EXPECT_FALSE(imp.suStampanteDiSistema());
    EXPECT_EQ(imp.dispositivo, "\\\\server\\stampante 1");
    EXPECT_EQ(imp.lunghezzaPagina, 66);
    EXPECT_EQ(imp.lunghezzaRiempimento, 0);
    s.compressa = true;
    EXPECT_EQ(raccogliImpostazioni(s).lunghezzaPagina, 88);
    EXPECT_EQ(leggiCodiceAssistenza().value_or("?"), "AS-0001");
}

TEST_F(HotelCondiviso, CampiSenzaValoreSonoErroriChiari)
{
    SceltaStampa s;
    s.destinazione = "FILE";   // its print type has no Compresso
    try {
        raccogliImpostazioni(s);
        FAIL() << "nessun errore";
    } catch (const ErroreDati &e) {
        EXPECT_NE(std::string(e.what()).find("Compresso"), std::string::npos) << e.what();
    }
    TavoRoutine::HotelCorrente = 2;   // its LungPagNoComp has no value
    s.destinazione = "LPT1";
    EXPECT_THROW(raccogliImpostazioni(s), ErroreDati);
}

} // namespace pc::prova
