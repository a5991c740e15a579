// A message box opened from a window kept on top, under a real window
// manager: a private Xvfb with openbox, started here and stopped by PID. The
// box must be modal and transient to that window and stay above the others.
#include "Desktop.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>

using pc::piattaforma::desktop;

namespace pc::prova {
namespace {

std::string g_saltaPerche;   // why the tests are skipped; empty when the display is up

// xprop's answer for the root window (no id) or a window.
QString xprop(const QStringList &argomenti)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), argomenti);
    if (!p.waitForFinished(10000)) return QString();
    return QString::fromLatin1(p.readAllStandardOutput());
}

// The X window of a widget, asked of its native window: the window system
// may have made it anew when its flags changed.
QString esadecimale(const QWidget *w) { return QStringLiteral("0x%1").arg(quint64(w->windowHandle()->winId()), 0, 16); }

// Position of a window in the window manager's stacking order, bottom first;
// -1 when absent.
int posizioneNellaPila(const QWidget *w)
{
    const QString pila = xprop({QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    const QString elenco = pila.section(QLatin1Char('#'), 1);
    const QStringList finestre = elenco.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < finestre.size(); ++i)
        if (finestre[i].trimmed() == esadecimale(w)) return i;
    return -1;
}

// Waits until the window manager has taken the window in.
bool gestitaDalWindowManager(const QWidget *w)
{
    QDeadlineTimer limite(10000);
    while (posizioneNellaPila(w) < 0) {
        if (limite.hasExpired()) return false;
        QTest::qWait(20);
    }
    return true;
}

TEST(AvvisoSopraFinestraInPrimoPiano, ModaleTransitorioESopraLeAltre)
{
    if (!g_saltaPerche.empty()) GTEST_SKIP() << g_saltaPerche;

    QDialog menu;
    menu.setWindowTitle(QStringLiteral("Finestra in primo piano"));
    menu.resize(400, 200);
    desktop().tieniInPrimoPiano(&menu);
    menu.show();
    ASSERT_TRUE(gestitaDalWindowManager(&menu));

    QWidget altra;   // an ordinary window of the same application, raised later
    altra.setWindowTitle(QStringLiteral("Altra finestra"));
    altra.resize(500, 300);

    struct Esito {
        bool esposti = false, modale = false, transitorio = false;
        QString proprieta;
        int posAvviso = -1, posMenu = -1, posAltra = -1;
    };
    std::optional<Esito> esito;
    QTimer::singleShot(0, &menu, [&] {
        QMessageBox *avviso = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((avviso = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) != nullptr, 10000);
        const bool esposti = gestitaDalWindowManager(avviso) && (altra.show(), gestitaDalWindowManager(&altra));
        altra.raise();
        altra.activateWindow();
        QTest::qWait(300);   // let the window manager restack
        Esito e;
        e.esposti = esposti;
        e.modale = avviso->isModal() && QGuiApplication::modalWindow() == avviso->windowHandle();
        e.transitorio = avviso->windowHandle()->transientParent() == menu.windowHandle();
        e.proprieta = xprop({QStringLiteral("-id"), esadecimale(avviso), QStringLiteral("WM_TRANSIENT_FOR"),
                             QStringLiteral("_NET_WM_STATE")});
        e.posAvviso = posizioneNellaPila(avviso);
        e.posMenu = posizioneNellaPila(&menu);
        e.posAltra = posizioneNellaPila(&altra);
        esito = e;
        avviso->accept();
    });
    QMessageBox::warning(&menu, QStringLiteral("Stampa"), QStringLiteral("Stampa non riuscita."));

    ASSERT_TRUE(esito.has_value()) << "il messaggio non si \xC3\xA8 aperto";
    EXPECT_TRUE(esito->esposti);
    EXPECT_TRUE(esito->modale);
    EXPECT_TRUE(esito->transitorio);
    EXPECT_TRUE(esito->proprieta.contains(QStringLiteral("window id # ") + esadecimale(&menu)))
        << esito->proprieta.toStdString();
    EXPECT_TRUE(esito->proprieta.contains(QStringLiteral("_NET_WM_STATE_MODAL"))) << esito->proprieta.toStdString();
    EXPECT_TRUE(esito->proprieta.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << esito->proprieta.toStdString();
    ASSERT_GE(esito->posAvviso, 0);
    EXPECT_GT(esito->posAvviso, esito->posMenu);
    EXPECT_GT(esito->posAvviso, esito->posAltra);
}

// Starts a program and keeps it until the end of the tests.
class Servizio {
public:
    bool avvia(const QString &programma, const QStringList &argomenti, const QProcessEnvironment &ambiente)
    {
        m_processo.setProcessEnvironment(ambiente);
        m_processo.start(programma, argomenti);
        return m_processo.waitForStarted(10000);
    }
    QProcess &processo() { return m_processo; }
    ~Servizio()
    {
        if (m_processo.state() == QProcess::NotRunning) return;
        m_processo.terminate();   // SIGTERM to its PID
        if (!m_processo.waitForFinished(5000)) m_processo.kill();
    }

private:
    QProcess m_processo;
};

} // namespace
} // namespace pc::prova

int main(int argc, char **argv)
{
    using namespace pc::prova;
    ::testing::InitGoogleTest(&argc, argv);
    Servizio xvfb, openbox;
    bool schermo = false;
    for (const char *p : {"Xvfb", "openbox", "xprop"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(p)).isEmpty())
            g_saltaPerche += std::string(g_saltaPerche.empty() ? "" : ", ") + p + " assente";
    if (g_saltaPerche.empty()) {
        // Xvfb picks a free display and writes its number on standard output.
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        if (!xvfb.avvia(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                                  QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                  QStringLiteral("tcp")},
                        ambiente)
            || !xvfb.processo().waitForReadyRead(10000)) {
            g_saltaPerche = "Xvfb non parte";
        } else {
            const QByteArray numero = xvfb.processo().readLine().trimmed();
            qputenv("DISPLAY", ":" + numero);
            ambiente.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(numero));
            openbox.avvia(QStringLiteral("openbox"), {}, ambiente);
            // Ready when it has announced itself on the root window.
            for (int i = 0; i < 200 && !schermo; ++i) {
                // (the stacking list comes last, once it manages windows).
                const QString radice = xprop({QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                                              QStringLiteral("_NET_CLIENT_LIST_STACKING")});
                schermo = radice.contains(QStringLiteral("_NET_SUPPORTING_WM_CHECK(WINDOW): window id"))
                          && radice.contains(QStringLiteral("_NET_CLIENT_LIST_STACKING(WINDOW)"));
                if (!schermo) QTest::qSleep(50);
            }
            if (!schermo) g_saltaPerche = "openbox non si \xC3\xA8 avviato su Xvfb";
            // openbox announces itself a moment before it handles map requests.
            else QTest::qSleep(300);
        }
    }
    if (!schermo) {
        // The test only skips: a platform without a display is enough.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
