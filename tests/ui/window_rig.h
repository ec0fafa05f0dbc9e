#pragma once

#include "comrs232.h"
#include "engine_rig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

/// The window with the real engine under it and a scripted device, all on one virtual timeline.
/// Keys are scheduled on the timeline too, so that they land inside the engine's waits.
struct WindowRig : EngineFakes
{
    FakeTimer pollTimer{timeline};
    ComRS232 window{pollTimer, traitRS};
    GesRS gesrs{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, *this, *this, window},
                traitRS};

    WindowRig() { window.attach(gesrs); }

    /// Keys typed into TxWin at a virtual instant: "\r" is Enter, "\b" Backspace.
    void typeAt(std::int64_t ms, const QString &keys)
    {
        timeline.at(ms, [this, keys] { QTest::keyClicks(window.TxWin, keys); });
    }
    void answerNext(std::string_view reply, std::int64_t afterMs = 50)
    {
        device.answerNext({{afterMs, FakeDevice::goodReply(reply)}});
    }
    void runUntil(std::int64_t ms) { timeline.advance(ms - timeline.now()); }
    /// The ticked menu items, "port1 SPEED1".
    QString marks() const
    {
        QString ticked;
        for (QAction *item : window.findChildren<QAction *>())
            ticked += item->isChecked() ? item->objectName() + " " : "";
        return ticked.trimmed();
    }
    /// The reply history from the oldest line down to the newest.
    QStringList history() const
    {
        return {window.RxWin(3)->text(),
                window.RxWin(2)->text(),
                window.RxWin(1)->text(),
                window.RxWin(0)->text()};
    }
};
