#include "DialogoInvio.h"

#include "Configurazione.h"
#include "ErroreDati.h"
#include "ScritturaFile.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using pc::dati::ErroreDati;
using pc::dati::scriviFileAtomico;

namespace pc::posta {

namespace {

QLineEdit *campo(QWidget *genitore, const char *nome, const QString &suggerimento = {})
{
    auto *e = new QLineEdit(genitore);
    e->setObjectName(QString::fromLatin1(nome));
    e->setPlaceholderText(suggerimento);
    return e;
}

QString ambiente(const char *nome) { return qEnvironmentVariable(nome); }

} // namespace

DialogoInvio::DialogoInvio(QWidget *genitore) : QDialog(genitore), m_programma(QCoreApplication::applicationFilePath())
{
    setWindowTitle(QStringLiteral("Invio giornaliero"));
    setObjectName(QStringLiteral("DialogoInvio"));
    auto *colonna = new QVBoxLayout(this);

    auto *server = new QGroupBox(QStringLiteral("Server di posta"), this);
    auto *fs = new QFormLayout(server);
    m_host = campo(server, "host", QStringLiteral("smtp.example.it"));
    m_porta = new QSpinBox(server);
    m_porta->setObjectName(QStringLiteral("porta"));
    m_porta->setRange(1, 65535);
    m_porta->setValue(587);
    m_sicurezza = new QComboBox(server);
    m_sicurezza->setObjectName(QStringLiteral("sicurezza"));
    m_sicurezza->addItems({QStringLiteral("starttls"), QStringLiteral("tls"), QStringLiteral("nessuna")});
    m_utente = campo(server, "utente", QStringLiteral("facoltativo"));
    m_password = campo(server, "file_password", QStringLiteral("file leggibile solo dal proprietario"));
    m_ca = campo(server, "certificato_ca", QStringLiteral("facoltativo"));
    fs->addRow(QStringLiteral("Server:"), m_host);
    fs->addRow(QStringLiteral("Porta:"), m_porta);
    fs->addRow(QStringLiteral("Sicurezza:"), m_sicurezza);
    fs->addRow(QStringLiteral("Utente:"), m_utente);
    fs->addRow(QStringLiteral("File della password:"), m_password);
    fs->addRow(QStringLiteral("Certificato CA:"), m_ca);
    colonna->addWidget(server);

    auto *messaggio = new QGroupBox(QStringLiteral("Messaggio e albergo"), this);
    auto *fm = new QFormLayout(messaggio);
    m_mittente = campo(messaggio, "mittente", QStringLiteral("report@example.it"));
    m_destinatari = campo(messaggio, "destinatari", QStringLiteral("direttore@example.it, revenue@example.it"));
    m_nome = campo(messaggio, "nome", QStringLiteral("Hotel Esempio"));
    m_cartella = campo(messaggio, "cartella");
    m_cartella->setText(QDir::currentPath());
    m_pclocal = campo(messaggio, "pclocal");
    m_pclocal->setText(ambiente("PCLocal"));
    m_dirkv = campo(messaggio, "dirkv");
    m_dirkv->setText(ambiente("DIRKV"));
    m_raggruppamento = new QComboBox(messaggio);
    m_raggruppamento->setObjectName(QStringLiteral("raggruppamento"));
    m_raggruppamento->addItems({QStringLiteral("tipi"), QStringLiteral("camere"), QStringLiteral("macro")});
    fm->addRow(QStringLiteral("Mittente:"), m_mittente);
    fm->addRow(QStringLiteral("Destinatari:"), m_destinatari);
    fm->addRow(QStringLiteral("Nome dell'albergo:"), m_nome);
    fm->addRow(QStringLiteral("Cartella dell'albergo:"), m_cartella);
    fm->addRow(QStringLiteral("PCLocal:"), m_pclocal);
    fm->addRow(QStringLiteral("DIRKV:"), m_dirkv);
    fm->addRow(QStringLiteral("Raggruppamento:"), m_raggruppamento);
    colonna->addWidget(messaggio);

    auto *azioni = new QFormLayout;
    m_file = campo(this, "file_configurazione");
    m_file->setText(QDir::homePath() + QStringLiteral("/.config/produzione-camere/invio.ini"));
    azioni->addRow(QStringLiteral("File di configurazione:"), m_file);
    auto *rigaProva = new QHBoxLayout;
    m_prova = campo(this, "indirizzo_prova", QStringLiteral("indirizzo per il messaggio di prova"));
    auto *tastoProva = new QPushButton(QStringLiteral("Invia &prova"), this);
    tastoProva->setObjectName(QStringLiteral("TastoProva"));
    rigaProva->addWidget(m_prova);
    rigaProva->addWidget(tastoProva);
    azioni->addRow(QStringLiteral("Prova:"), rigaProva);
    auto *rigaOra = new QHBoxLayout;
    m_ora = campo(this, "ora", QStringLiteral("HH:MM"));
    m_ora->setText(QStringLiteral("07:30"));
    m_ora->setInputMask(QStringLiteral("99:99"));
    auto *tastoPianifica = new QPushButton(QStringLiteral("P&ianifica"), this);
    tastoPianifica->setObjectName(QStringLiteral("TastoPianifica"));
    rigaOra->addWidget(m_ora);
    rigaOra->addWidget(tastoPianifica);
    azioni->addRow(QStringLiteral("Ogni giorno alle:"), rigaOra);
    colonna->addLayout(azioni);

    m_registro = new QPlainTextEdit(this);
    m_registro->setObjectName(QStringLiteral("registro"));
    m_registro->setReadOnly(true);
    m_registro->setMaximumBlockCount(500);
    m_registro->setMinimumHeight(90);
    m_registro->setMaximumHeight(140);
    colonna->addWidget(m_registro);

    auto *tasti = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    tasti->button(QDialogButtonBox::Save)->setText(QStringLiteral("&Salva"));
    tasti->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Chiudi"));
    colonna->addWidget(tasti);
    connect(tasti->button(QDialogButtonBox::Save), &QPushButton::clicked, this, [this] { salva(); });
    connect(tasti, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tastoProva, &QPushButton::clicked, this, &DialogoInvio::inviaProva);
    connect(tastoPianifica, &QPushButton::clicked, this, &DialogoInvio::pianificaInvio);
    resize(560, sizeHint().height());
}

void DialogoInvio::apri(const QString &file)
{
    m_file->setText(file);
    if (!QFileInfo::exists(file)) return;
    try {
        const Configurazione c = leggiConfigurazione(QFile::encodeName(file).toStdString());
        auto testo = [](const std::string &t) { return QString::fromStdString(t); };
        m_host->setText(testo(c.host));
        m_porta->setValue(c.porta);
        m_sicurezza->setCurrentText(QString::fromLatin1(nomeSicurezza(c.sicurezza)));
        m_utente->setText(testo(c.utente));
        m_password->setText(testo(c.filePassword));
        m_ca->setText(testo(c.certificatoCa));
        m_mittente->setText(testo(c.mittente));
        QStringList d;
        for (const auto &x : c.destinatari) d << testo(x);
        m_destinatari->setText(d.join(QStringLiteral(", ")));
        m_nome->setText(testo(c.nome));
        m_cartella->setText(testo(c.cartella));
        m_pclocal->setText(testo(c.pclocal));
        m_dirkv->setText(testo(c.dirkv));
        m_raggruppamento->setCurrentText(testo(c.raggruppamento));
    } catch (const ErroreDati &e) {
        scrivi(QString::fromStdString(e.what()));
    }
}

Configurazione DialogoInvio::configurazione() const
{
    Configurazione c;
    auto testo = [](const QLineEdit *e) { return e->text().trimmed().toStdString(); };
    c.host = testo(m_host);
    c.porta = m_porta->value();
    const QString s = m_sicurezza->currentText();
    c.sicurezza = s == QLatin1String("tls") ? Sicurezza::Tls : s == QLatin1String("nessuna") ? Sicurezza::Nessuna : Sicurezza::StartTls;
    c.utente = testo(m_utente);
    c.filePassword = testo(m_password);
    c.certificatoCa = testo(m_ca);
    c.mittente = testo(m_mittente);
    c.destinatari = dividiIndirizzi(testo(m_destinatari));
    c.nome = testo(m_nome);
    c.cartella = testo(m_cartella);
    c.pclocal = testo(m_pclocal);
    c.dirkv = testo(m_dirkv);
    c.raggruppamento = m_raggruppamento->currentText().toStdString();
    return c;
}

bool DialogoInvio::salva()
{
    const std::string file = QFile::encodeName(m_file->text().trimmed()).toStdString();
    try {
        const std::string testo = testoConfigurazione(configurazione());
        configurazioneDaTesto(testo, file);   // the same checks as the command's
        QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
        scriviFileAtomico(file, testo, "la configurazione");
        scrivi(QStringLiteral("Configurazione salvata in %1.").arg(QString::fromStdString(file)));
        return true;
    } catch (const ErroreDati &e) {
        scrivi(QString::fromStdString(e.what()));
        return false;
    }
}

void DialogoInvio::inviaProva()
{
    if (m_prova->text().trimmed().isEmpty()) {
        scrivi(QStringLiteral("Indicare l'indirizzo a cui inviare il messaggio di prova."));
        return;
    }
    if (!salva()) return;
    esegui({QStringLiteral("invia"), QStringLiteral("--configurazione"), m_file->text().trimmed(), QStringLiteral("--prova"),
            m_prova->text().trimmed()});
}

void DialogoInvio::pianificaInvio()
{
    if (!salva()) return;
    esegui({QStringLiteral("pianifica"), QStringLiteral("--configurazione"), m_file->text().trimmed(), QStringLiteral("--ora"), m_ora->text()});
}

void DialogoInvio::esegui(const QStringList &argomenti)
{
    scrivi(QStringLiteral("produzione-camere ") + argomenti.join(QLatin1Char(' ')));
    auto *p = new QProcess(this);
    p->setProcessChannelMode(QProcess::MergedChannels);
    connect(p, &QProcess::readyRead, this, [this, p] { scrivi(QString::fromUtf8(p->readAll()).trimmed()); });
    connect(p, &QProcess::finished, this, [this, p](int codice, QProcess::ExitStatus stato) {
        scrivi(stato == QProcess::NormalExit && codice == 0 ? QStringLiteral("Fatto.") : QStringLiteral("Non riuscito (codice %1).").arg(codice));
        p->deleteLater();
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            scrivi(QStringLiteral("Impossibile avviare %1.").arg(m_programma));
            p->deleteLater();
        }
    });
    p->start(m_programma, argomenti);
}

void DialogoInvio::scrivi(const QString &testo)
{
    if (!testo.isEmpty()) m_registro->appendPlainText(testo);
}

void collegaAFinestraPrincipale(QWidget *principale)
{
    auto *azione = new QAction(QStringLiteral("Invio giornaliero..."), principale);
    azione->setObjectName(QStringLiteral("AzioneInvioGiornaliero"));
    principale->addAction(azione);
    principale->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(azione, &QAction::triggered, principale, [principale] {
        auto *dialogo = principale->findChild<DialogoInvio *>(QString(), Qt::FindDirectChildrenOnly);
        if (!dialogo) {
            dialogo = new DialogoInvio(principale);
            const QString predefinito = QDir::homePath() + QStringLiteral("/.config/produzione-camere/invio.ini");
            dialogo->apri(predefinito);
        }
        dialogo->show();
        dialogo->raise();
        dialogo->activateWindow();
    });
}

} // namespace pc::posta
