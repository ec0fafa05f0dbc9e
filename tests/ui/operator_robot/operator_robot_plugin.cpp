// A test robot loaded into the real program as a Qt generic plugin: it plays the operator,
// reading its orders from the descriptor named by COMRS_ROBOT_FD, one a line:
//   type TEXT   keys typed into TxWin, one per character
//   enter       the Enter key in TxWin
//   close       the window closed, as by its close button
// The program carries no test hook of its own.
#include <QApplication>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <unistd.h>

namespace {

class OperatorRobot : public QObject
{
public:
    explicit OperatorRobot(int fd)
        : m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readOrders(); });
    }

private:
    void readOrders()
    {
        char buffer[256];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
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

    static QWidget *operatorWindow()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("ComRS232") && widget->isVisible())
                return widget;
        }
        return nullptr;
    }

    static void sendKey(QWidget *target, Qt::Key key, const QString &text)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }

    void carryOut()
    {
        QWidget *window = operatorWindow();
        if (!window) {
            QTimer::singleShot(10, this, [this] { carryOut(); });
            return;
        }
        auto *entry = window->findChild<QLineEdit *>(QStringLiteral("TxWin"));
        while (!m_orders.empty()) {
            const QString order = m_orders.front();
            m_orders.pop_front();
            if (order.startsWith(QLatin1String("type "))) {
                for (const QChar c : order.mid(5))
                    sendKey(entry, Qt::Key_unknown, QString(c));
            } else if (order == QLatin1String("enter")) {
                sendKey(entry, Qt::Key_Return, QStringLiteral("\r"));
            } else if (order == QLatin1String("close")) {
                window->close();
            }
        }
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_partial;
    std::deque<QString> m_orders;
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
        const int fd = qEnvironmentVariableIntValue("COMRS_ROBOT_FD", &ok);
        return ok ? new OperatorRobot(fd) : nullptr;
    }
};

#include "operator_robot_plugin.moc"
