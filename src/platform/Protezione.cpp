#include "Protezione.h"

#include "ScritturaFile.h"

#include <QMessageBox>

using pc::dati::descriviEccezione;

namespace pc::piattaforma {

void avvisaEccezione(QWidget *finestra, const QString &titolo, std::exception_ptr eccezione) noexcept
{
    try {
        QMessageBox::warning(finestra, titolo, QString::fromStdString(descriviEccezione(eccezione)));
    } catch (...) {
        // Not even the message could be shown (memory exhausted): the window
        // goes on as it was.
    }
}

} // namespace pc::piattaforma
