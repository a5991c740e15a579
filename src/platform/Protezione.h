#pragma once

#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace pc::piattaforma {

// Shows, over `finestra`, the Italian message of an exception that reached
// the end of a window action. Never throws.
void avvisaEccezione(QWidget *finestra, const QString &titolo, std::exception_ptr eccezione) noexcept;

// Runs one action of a window (a button, a key, an activation). Whatever it
// throws stops at this boundary, never in Qt's event loop: the user gets the
// message and the window stays usable. Returns whether the action ended well.
template <typename Azione>
bool azioneProtetta(QWidget *finestra, const QString &titolo, Azione &&azione) noexcept
{
    try {
        std::forward<Azione>(azione)();
        return true;
    } catch (...) {
        avvisaEccezione(finestra, titolo, std::current_exception());
        return false;
    }
}

} // namespace pc::piattaforma
