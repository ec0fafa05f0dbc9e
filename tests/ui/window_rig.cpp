#include "window_rig.h"

#include "frame.h"

#include <QLineEdit>
#include <QTest>

void WindowRig::typeAt(std::int64_t ms, const QString &keys)
{
    timeline.at(ms, [this, keys] {
        for (const QChar key : keys) {
            if (key == QLatin1Char('\r'))
                QTest::keyClick(window.TxWin, Qt::Key_Return);
            else if (key == QLatin1Char('\b'))
                QTest::keyClick(window.TxWin, Qt::Key_Backspace);
            else if (key.unicode() < 128)
                QTest::keyClicks(window.TxWin, QString(key));
            else  // QTest knows no key code for it: the text alone, as an input method sends it
                QTest::sendKeyEvent(QTest::Click, window.TxWin, Qt::Key_unknown, QString(key), {});
        }
    });
}

std::int64_t WindowRig::frameTime(int n) const
{
    for (const FakeSerialPort::Write &write : port.outputs()) {
        if (write.text == std::string(1, kStx) && n-- == 0)
            return write.time;
    }
    return -1;
}
