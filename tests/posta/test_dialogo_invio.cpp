#include "Configurazione.h"
#include "DialogoInvio.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace pc::prova {

TEST(DialogoInvio, DalMenuSalvaUnaConfigurazioneValida)
{
    QTemporaryDir d;
    QWidget principale;
    posta::collegaAFinestraPrincipale(&principale);
    QAction *azione = principale.findChild<QAction *>(QStringLiteral("AzioneInvioGiornaliero"));
    ASSERT_TRUE(azione);
    EXPECT_EQ(azione->text(), QStringLiteral("Invio giornaliero..."));
    EXPECT_EQ(principale.contextMenuPolicy(), Qt::ActionsContextMenu);
    azione->trigger();
    auto *dialogo = principale.findChild<posta::DialogoInvio *>();
    ASSERT_TRUE(dialogo);
    EXPECT_TRUE(dialogo->isVisible());

    auto campo = [&](const char *nome) { return dialogo->findChild<QLineEdit *>(QString::fromLatin1(nome)); };
    const QString file = d.filePath(QStringLiteral("conf/invio.ini"));
    campo("file_configurazione")->setText(file);
    campo("host")->setText(QStringLiteral("smtp.example.it"));
    campo("mittente")->setText(QStringLiteral("report@example.it"));
    campo("destinatari")->setText(QStringLiteral("a@example.it, b@example.it"));
    campo("nome")->setText(QStringLiteral("Hotel Esempio"));
    campo("cartella")->setText(QStringLiteral("/srv/albergo"));
    dialogo->findChild<QComboBox *>(QStringLiteral("sicurezza"))->setCurrentText(QStringLiteral("tls"));

    // An address that is not one: nothing written, the reason shown.
    campo("mittente")->setText(QStringLiteral("report"));
    EXPECT_FALSE(dialogo->salva());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(dialogo->findChild<QPlainTextEdit *>(QStringLiteral("registro"))->toPlainText().contains(QStringLiteral("report")));

    campo("mittente")->setText(QStringLiteral("report@example.it"));
    ASSERT_TRUE(dialogo->salva());
    const posta::Configurazione c = posta::leggiConfigurazione(file.toStdString());
    EXPECT_EQ(c.host, "smtp.example.it");
    EXPECT_EQ(c.sicurezza, posta::Sicurezza::Tls);
    EXPECT_EQ(c.destinatari, (std::vector<std::string>{"a@example.it", "b@example.it"}));
    EXPECT_EQ(c.cartella, "/srv/albergo");

    // The test message and the schedule run this program's commands; here echo shows what they would be.
    auto *registro = dialogo->findChild<QPlainTextEdit *>(QStringLiteral("registro"));
    dialogo->impostaProgramma(QStringLiteral("/bin/echo"));
    dialogo->findChild<QPushButton *>(QStringLiteral("TastoProva"))->click();
    EXPECT_TRUE(registro->toPlainText().endsWith(QStringLiteral("Indicare l'indirizzo a cui inviare il messaggio di prova.")));
    campo("indirizzo_prova")->setText(QStringLiteral("io@example.it"));
    dialogo->findChild<QPushButton *>(QStringLiteral("TastoProva"))->click();
    QTRY_VERIFY(registro->toPlainText().endsWith(QStringLiteral("Fatto.")));
    EXPECT_TRUE(registro->toPlainText().contains(QStringLiteral("\ninvia --configurazione ") + file + QStringLiteral(" --prova io@example.it\n")));
    campo("ora")->setText(QStringLiteral("06:45"));
    dialogo->findChild<QPushButton *>(QStringLiteral("TastoPianifica"))->click();
    QTRY_VERIFY(registro->toPlainText().count(QStringLiteral("Fatto.")) == 2);
    EXPECT_TRUE(registro->toPlainText().contains(QStringLiteral("\npianifica --configurazione ") + file + QStringLiteral(" --ora 06:45\n")));

    // Opened again, the form shows the file.
    posta::DialogoInvio altro;
    altro.apri(file);
    EXPECT_EQ(altro.findChild<QLineEdit *>(QStringLiteral("nome"))->text(), QStringLiteral("Hotel Esempio"));
    EXPECT_EQ(altro.findChild<QComboBox *>(QStringLiteral("sicurezza"))->currentText(), QStringLiteral("tls"));
}

} // namespace pc::prova
