// A test robot loaded into the real program as a Qt generic plugin: it plays the operator,
// reading its orders from the descriptor named by COMRS_ROBOT_FD, one a line:
//   type TEXT   keys typed into TxWin, one per character (TEXT in UTF-8)
//   paste TEXT  TEXT put into TxWin at once, as an operator's paste would
//   clear       TxWin emptied as an operator would: Ctrl+A, then Backspace
//   enter       the Enter key in TxWin
//   menu NAME   the menu item of that object name chosen (port1..port4, SPEED1, SPEED2)
//   state       reports the five text boxes, Pb_rs and the checked menu items
//   tip NAME    the tooltip of that menu item, as its menu shows it when it opens
//   shot PATH   a picture of the window saved to PATH (PNG), then reported
//   close       the window closed, as by its close button
//   box BUTTON  the button (Ok, Retry, Cancel) of the message box on screen clicked
// When COMRS_ROBOT_REPORT_FD names a descriptor, it writes there one line per event,
// "KIND NANOSECONDS [TEXT]", the time read from CLOCK_MONOTONIC so that the reader can compare
// it with its own clock:
//   ready       the operator window is shown and watched
//   enter       just before the Enter key is pressed
//   RxWin0      the newest reply box changed, TEXT its new text
//   TxWin       the instruction box changed, TEXT its new text
//   box         a message box was shown, TEXT its title, a line break, then its text
//   Pb_rs       the problem label changed, TEXT its new caption
//   state:NAME  one line per box or label of a "state" order (state:marks lists the checked
//               menu items), then state:end
//   tip         the tooltip of a "tip" order, TEXT empty when there is no such item
//   shot        the picture of a "shot" order is saved, TEXT its path, or empty on failure
// In TEXT a backslash is written "\\" and a line break "\n". The program carries no test hook
// of its own.
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <deque>
#include <string>
#include <unistd.h>

namespace {

QByteArray escaped(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\\', "\\\\");
    bytes.replace('\n', "\\n");
    return bytes;
}

class OperatorRobot : public QObject
{
public:
    OperatorRobot(int orderFd, int reportFd)
        : m_orderFd(orderFd)
        , m_reportFd(reportFd)
        , m_notifier(orderFd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readOrders(); });
        // The window does not exist yet: the robot is made while the application starts.
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            if (!m_window && watched->objectName() == QLatin1String("ComRS232"))
                attach(static_cast<QWidget *>(watched));
            else if (auto *box = qobject_cast<QMessageBox *>(watched))
                report("box", box->windowTitle() + QLatin1Char('\n') + box->text());
        } else if (watched == m_problem) {
            // A label has no signal for a new caption; any caption change is painted, and a
            // report also shows the label.
            const QEvent::Type type = event->type();
            if (type == QEvent::Paint || type == QEvent::Show || type == QEvent::Hide)
                reportProblemIfChanged();
        }
        return false;
    }

private:
    void attach(QWidget *window)
    {
        // The application's filter stays: it also sees the message boxes shown later.
        m_window = window;
        m_entry = window->findChild<QLineEdit *>(QStringLiteral("TxWin"));
        m_problem = window->findChild<QLabel *>(QStringLiteral("Pb_rs"));
        m_problem->installEventFilter(this);
        m_lastProblem = m_problem->text();
        connect(window->findChild<QLineEdit *>(QStringLiteral("RxWin0")),
                &QLineEdit::textChanged,
                this,
                [this](const QString &text) { report("RxWin0", text); });
        connect(m_entry, &QLineEdit::textChanged, this, [this](const QString &text) {
            report("TxWin", text);
        });
        report("ready");
        QTimer::singleShot(0, this, [this] { carryOut(); });
    }

    void reportProblemIfChanged()
    {
        if (m_problem->text() == m_lastProblem)
            return;
        m_lastProblem = m_problem->text();
        report("Pb_rs", m_lastProblem);
    }

    void report(const char *kind, const QString &text = QString())
    {
        if (m_reportFd < 0)
            return;
        // steady_clock reads CLOCK_MONOTONIC on Linux, as the reader's clock does.
        const long long nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count();
        QByteArray line = QByteArray(kind) + ' ' + QByteArray::number(nanoseconds);
        if (!text.isNull())
            line += ' ' + escaped(text);
        line += '\n';
        for (qsizetype done = 0; done < line.size();) {
            const ssize_t count = ::write(m_reportFd, line.constData() + done, line.size() - done);
            if (count <= 0)
                return;
            done += count;
        }
    }

    void readOrders()
    {
        char buffer[256];
        const ssize_t count = ::read(m_orderFd, buffer, sizeof buffer);
        if (count <= 0) {
            m_notifier.setEnabled(false);
            return;
        }
        m_partial.append(buffer, static_cast<qsizetype>(count));
        qsizetype end;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            m_orders.push_back(QString::fromUtf8(m_partial.left(end)));
            m_partial.remove(0, end + 1);
        }
        // Carried out from a timer, so that an order that waits in an exchange leaves this
        // notifier free to read the next order from inside that wait.
        QTimer::singleShot(0, this, [this] { carryOut(); });
    }

    static void sendKey(QWidget *target,
                        Qt::Key key,
                        const QString &text,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &release);
    }

    void reportState()
    {
        report("state:TxWin", m_entry->text());
        for (int index = 0; index < 4; ++index) {
            const QString name = QStringLiteral("RxWin%1").arg(index);
            const std::string kind = "state:" + name.toStdString();
            report(kind.c_str(), m_window->findChild<QLineEdit *>(name)->text());
        }
        report("state:Pb_rs", m_problem->text());
        QStringList marks;
        for (const char *name : {"port1", "port2", "port3", "port4", "SPEED1", "SPEED2"}) {
            const auto *item = m_window->findChild<QAction *>(QLatin1String(name));
            if (item && item->isChecked())
                marks << QLatin1String(name);
        }
        report("state:marks", marks.join(QLatin1Char(' ')));
        report("state:end");
    }

    void reportTip(const QString &name)
    {
        auto *item = m_window->findChild<QAction *>(name);
        if (!item) {
            report("tip", QLatin1String(""));
            return;
        }
        // A menu may write its items' tips as it opens: opening it is what the operator does.
        for (QObject *holder : item->associatedObjects())
            if (auto *menu = qobject_cast<QMenu *>(holder))
                emit menu->aboutToShow();
        report("tip", item->toolTip());
    }

    static void clickBoxButton(const QString &name)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        static const QMap<QString, QMessageBox::StandardButton> buttons{
            {QStringLiteral("Ok"), QMessageBox::Ok},
            {QStringLiteral("Retry"), QMessageBox::Retry},
            {QStringLiteral("Cancel"), QMessageBox::Cancel}};
        if (QAbstractButton *button = box->button(buttons.value(name, QMessageBox::NoButton)))
            button->click();
    }

    void carryOut()
    {
        if (!m_window)
            return;  // attach() carries the orders out once the window is shown
        while (!m_orders.empty()) {
            const QString order = m_orders.front();
            m_orders.pop_front();
            if (order.startsWith(QLatin1String("type "))) {
                for (const QChar c : order.mid(5))
                    sendKey(m_entry, Qt::Key_unknown, QString(c));
            } else if (order.startsWith(QLatin1String("paste "))) {
                m_entry->insert(order.mid(6));
            } else if (order == QLatin1String("clear")) {
                sendKey(m_entry, Qt::Key_A, QString(), Qt::ControlModifier);
                sendKey(m_entry, Qt::Key_Backspace, QStringLiteral("\b"));
            } else if (order == QLatin1String("enter")) {
                report("enter");
                sendKey(m_entry, Qt::Key_Return, QStringLiteral("\r"));
            } else if (order.startsWith(QLatin1String("menu "))) {
                if (auto *item = m_window->findChild<QAction *>(order.mid(5)))
                    item->trigger();
            } else if (order.startsWith(QLatin1String("tip "))) {
                reportTip(order.mid(4));
            } else if (order == QLatin1String("state")) {
                reportState();
            } else if (order.startsWith(QLatin1String("shot "))) {
                const QString path = order.mid(5);
                report("shot", m_window->grab().save(path, "PNG") ? path : QString());
            } else if (order == QLatin1String("close")) {
                m_window->close();
            } else if (order.startsWith(QLatin1String("box "))) {
                clickBoxButton(order.mid(4));
            }
        }
    }

    int m_orderFd;
    int m_reportFd;
    QSocketNotifier m_notifier;
    QByteArray m_partial;
    std::deque<QString> m_orders;
    QWidget *m_window = nullptr;
    QLineEdit *m_entry = nullptr;
    QLabel *m_problem = nullptr;
    QString m_lastProblem;
};

}  // namespace

class OperatorRobotPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "operator_robot.json")

public:
    QObject *create(const QString &, const QString &) override
    {
        bool ok = false;
        const int orderFd = qEnvironmentVariableIntValue("COMRS_ROBOT_FD", &ok);
        if (!ok)
            return nullptr;
        const int reportFd = qEnvironmentVariableIntValue("COMRS_ROBOT_REPORT_FD", &ok);
        return new OperatorRobot(orderFd, ok ? reportFd : -1);
    }
};

#include "operator_robot_plugin.moc"
