// Answers the next modal dialog of type T, as a person would, once it is up:
// `answer` looks at it and closes it. Polls from the event loop, so the
// dialog's own exec() keeps running until then.
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

template <typename T>
void AnswerNextDialog(std::function<void(T *)> answer)
{
    auto *timer = new QTimer(qApp);  // goes with the application if no dialog comes
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer)] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start();
}
