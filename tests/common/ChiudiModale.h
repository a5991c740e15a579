#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace pc::prova {

// Waits, from the event loop, for a modal window of type W to become the
// active modal widget, then hands it to the action (which must close it).
// Needed because exec() of a modal window only returns once it is closed.
template <typename W>
void quandoAppare(std::function<void(W *)> azione)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, azione] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            azione(w);
        }
    });
    timer->start();
}

} // namespace pc::prova
