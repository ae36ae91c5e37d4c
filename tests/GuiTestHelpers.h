// Helpers for window tests (QtTest or GoogleTest, offscreen platform).
#pragma once

#include <cerrno>
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QtDebug>

#include "TestSupport.h"

// The application object of a GoogleTest program of windows, made on first use, named
// after the program. Never destroyed: Qt's input devices, made once a test processes
// events, do not survive the end of static objects.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The bytes of a file named as the windows name it, empty when it cannot be read.
inline std::string ReadBytes(const QString& path) { return ReadFileBytes(path.toStdString()); }

// Arms a poll that waits for a modal window (the next one to run its own loop, typically
// started right after this call) and clicks its child button named buttonObjectName.
// A test can thus drive a real modal dialog without hanging: when no visible, enabled
// button of that name turns up within timeoutMs, the modal window found (if any) is
// closed and a warning is printed, so that the test fails on its result instead of
// waiting for ever. The returned flag turns true once the button has been clicked.
inline std::shared_ptr<const bool> AnswerNextModal(const QString& buttonObjectName, int timeoutMs = 5000) {
    auto clicked = std::make_shared<bool>(false);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, clicked, buttonObjectName, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            auto* button = modal->findChild<QAbstractButton*>(buttonObjectName);
            if (button != nullptr && button->isVisible() && button->isEnabled()) {
                timer->stop();
                timer->deleteLater();
                *clicked = true;
                button->click();
                return;
            }
        }
        if (clock->hasExpired(timeoutMs)) {
            timer->stop();
            timer->deleteLater();
            qWarning("AnswerNextModal: no visible button \"%s\" in a modal window within %d ms",
                     qPrintable(buttonObjectName), timeoutMs);
            if (modal != nullptr) modal->close();
        }
    });
    timer->start();
    return clicked;
}
