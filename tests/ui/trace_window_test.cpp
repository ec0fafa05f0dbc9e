#include "trace_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TraceWindow, ctrlTAndF12OpenOneWindowOnTheNewestLinesFromBeforeItThenLiveToCopyAndSave)
{
    ProtocolTrace trace([] { return 7; });
    for (int i = 0; i < TraceWindow::kLineLimit + 4; ++i)
        trace.event(trace.now(), "ligne " + std::to_string(i));
    QWidget operatorWindow;
    auto *entry = new QLineEdit(&operatorWindow);  // the keys are typed in the entry box
    offerTraceWindow(operatorWindow, trace);
    operatorWindow.show();
    entry->setFocus();
    QApplication::setActiveWindow(&operatorWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&operatorWindow));

    for (const auto &[key, modifiers] :
         {std::pair{Qt::Key_T, Qt::ControlModifier}, std::pair{Qt::Key_F12, Qt::NoModifier}}) {
        QTest::keyClick(entry, key, modifiers);
        const auto windows = operatorWindow.findChildren<TraceWindow *>();
        ASSERT_EQ(windows.size(), 1);
        EXPECT_TRUE(windows.front()->isVisible());
        windows.front()->close();
    }
    auto *traceWindow = operatorWindow.findChild<TraceWindow *>();
    trace.event(trace.now(), "réponse affichée : <STX>");

    const QStringList lines = traceWindow->text().split('\n');
    ASSERT_EQ(lines.size(), TraceWindow::kLineLimit);
    EXPECT_EQ(lines.front(), "       7 ms  ==  ligne 5");
    EXPECT_EQ(lines.back(), QString::fromUtf8("       7 ms  ==  réponse affichée : <STX>"));

    // What it keeps is what it copies and saves.
    QTemporaryDir dir;
    traceWindow->copyAll();
    ASSERT_TRUE(traceWindow->saveTo(dir.filePath("trace.txt")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines.join('\n'));
    QFile saved(dir.filePath("trace.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), lines.join('\n') + '\n');
}

}  // namespace
