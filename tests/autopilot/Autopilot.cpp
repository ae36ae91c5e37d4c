// A test's hands inside a real program. Preloaded (LD_PRELOAD) into Lexorama or Relexo,
// it starts with the application object, clicks buttons by their object names and
// writes down what the program shows, so that a test can drive whole programs on the
// offscreen platform and read afterwards what happened.
//
// Environment:
//   LEXO_AUTOPILOT_LOG    the file the events are appended to; nothing happens without it.
//   LEXO_AUTOPILOT_<App>  for the application named App ("Lexorama", "Relexo"): button
//                         object names, comma-separated, clicked in this order, each as
//                         soon as a visible, enabled button of that name exists (in the
//                         modal window when one is open). The script runs once per log
//                         file: a program started again finds it done.
//
// Events, one line each (UTF-8):
//   start <App> <pid> <current folder>
//   click <name>
//   box <caption>|<text>             every message box of the program, CR LF as "\n";
//                                    answered by the next step when it names one of its
//                                    buttons, else by "Ok"
//   sysbox <caption>|<text>          a box of the platform's own kind, answered by its
//                                    first button
//   closed <window> <name>=<text>... a window closing: its labels' texts and its lamps'
//                                    states (accessible descriptions)
//   exit <App> <pid>
#include <cstdio>
#include <cstdlib>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

namespace {

QString LogPath() { return QString::fromLocal8Bit(qgetenv("LEXO_AUTOPILOT_LOG")); }

void Log(const QString& line) {
    QFile f(LogPath());
    if (!f.open(QIODevice::Append)) return;
    f.write(line.toUtf8() + '\n');
}

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return text;
}

QAbstractButton* FindButton(QWidget* root, const QString& name) {
    for (auto* b : root->findChildren<QAbstractButton*>(name))
        if (b->isVisible() && b->isEnabled()) return b;
    return nullptr;
}

class Pilot : public QObject {
public:
    Pilot(QString app, QStringList steps) : app_(std::move(app)), steps_(std::move(steps)) {
        qApp->installEventFilter(this);
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Pilot::Tick);
        timer->start(30);
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            Log(QStringLiteral("exit ") + app_ + QLatin1Char(' ') +
                QString::number(QCoreApplication::applicationPid()));
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w != nullptr && w->isWindow() && w->objectName() != QLatin1String("frmMessageBox")) {
                // Recorded once the close has gone through (a refused close changes nothing).
                QPointer<QWidget> guard(w);
                QTimer::singleShot(0, this, [this, guard] {
                    if (guard && !guard->isVisible() && !guard->property("autopilotRecorded").toBool()) {
                        guard->setProperty("autopilotRecorded", true);
                        RecordClosed(guard);
                    }
                });
            }
        }
        return false;
    }

private:
    void RecordClosed(QWidget* w) {
        QString line = QStringLiteral("closed ") + w->objectName();
        for (auto* child : w->findChildren<QWidget*>()) {
            if (auto* label = qobject_cast<QLabel*>(child))
                line += QLatin1Char(' ') + child->objectName() + QLatin1Char('=') + label->text() +
                        QLatin1Char(label->isEnabled() ? '+' : '-');
            else if (child->objectName().startsWith(QLatin1String("led")))
                line += QLatin1Char(' ') + child->objectName() + QLatin1Char('=') + child->accessibleDescription();
        }
        Log(line);
    }

    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && modal->objectName() == QLatin1String("frmMessageBox")) {
            if (modal->property("autopilotAnswered").toBool()) return;
            auto* memo = modal->findChild<QTextEdit*>(QStringLiteral("MemoBox"));
            Log(QStringLiteral("box ") + modal->windowTitle() + QLatin1Char('|') +
                OneLine(memo != nullptr ? memo->toPlainText() : QString()));
            QAbstractButton* answer = nullptr;
            if (!steps_.isEmpty()) answer = FindButton(modal, steps_.first());
            if (answer != nullptr)
                steps_.removeFirst();
            else
                answer = FindButton(modal, QStringLiteral("btnOk"));
            if (answer == nullptr) return;
            modal->setProperty("autopilotAnswered", true);
            Click(answer);
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->isVisible()) {
            if (box->property("autopilotAnswered").toBool() || box->buttons().isEmpty()) return;
            box->setProperty("autopilotAnswered", true);
            Log(QStringLiteral("sysbox ") + box->windowTitle() + QLatin1Char('|') + OneLine(box->text()));
            Click(box->buttons().first());
            return;
        }
        if (steps_.isEmpty()) return;
        QAbstractButton* button = nullptr;
        if (modal != nullptr)
            button = FindButton(modal, steps_.first());
        else
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible() && (button = FindButton(top, steps_.first())) != nullptr) break;
        if (button == nullptr) return;
        steps_.removeFirst();
        Click(button);
    }

    // From the event loop, not from this timer's tick, so that the ticks go on inside the
    // nested loops the click may run (modal windows, blocking requests).
    void Click(QAbstractButton* button) {
        Log(QStringLiteral("click ") + button->objectName());
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    }

    QString app_;
    QStringList steps_;
};

void Start() {
    if (LogPath().isEmpty()) return;
    const QString app = QCoreApplication::applicationName().isEmpty()
                            ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                            : QCoreApplication::applicationName();
    Log(QStringLiteral("start ") + app + QLatin1Char(' ') + QString::number(QCoreApplication::applicationPid()) +
        QLatin1Char(' ') + QDir::currentPath());
    QStringList steps;
    QFile marker(LogPath() + QLatin1Char('.') + app);
    if (!marker.exists() && marker.open(QIODevice::WriteOnly)) {
        const QString script = QString::fromLocal8Bit(qgetenv(("LEXO_AUTOPILOT_" + app).toLocal8Bit()));
        steps = script.split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    new Pilot(app, steps);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
