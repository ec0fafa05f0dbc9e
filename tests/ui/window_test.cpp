#include "french_translations.h"
#include "start_up.h"
#include "trace_window.h"
#include "window_rig.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(Window, opensLaidOutFocusOnEntryAMenuChoiceClosesTheLineMovesItsMarkCtrlTShowsTheTrace)
{
    ProtocolTrace trace([] { return 7; });  // outlives the window, whose trace window listens
    WindowRig rig;
    ComRS232 &window = rig.window;
    const std::tuple<const char *, QRect, const char *> controls[] = {
        {"RxWin3", {168, 72, 385, 25}, ""},
        {"RxWin2", {168, 96, 385, 25}, ""},
        {"RxWin1", {168, 120, 385, 25}, ""},
        {"RxWin0", {168, 144, 385, 25}, ""},
        {"TxWin", {168, 16, 385, 27}, ""},
        {"Pb_rs", {160, 200, 281, 41}, ""},
        {"Label1", {56, 144, 89, 25}, "Reception"},
        {"TX", {56, 16, 89, 25}, "Envoi"},
    };
    for (const auto &[name, pixels, caption] : controls) {
        SCOPED_TRACE(name);
        auto *widget = window.findChild<QWidget *>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), window.centralWidget());
        EXPECT_EQ(widget->geometry(), pixels);  // twips divided by 15
        EXPECT_EQ(widget->property("text").toString(), caption);
        EXPECT_TRUE(widget->isVisibleTo(&window));
        // Assistive tools find the boxes by name, and read the label's caption as its name.
        EXPECT_EQ(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name) == name,
                  qobject_cast<QLineEdit *>(widget) != nullptr);
    }
    // The problem label's name goes elsewhere, or it would hide the caption.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.Pb_rs)->text(QAccessible::Description),
              "Pb_rs");
    for (QLabel *label : {window.Label1, window.TX}) {
        EXPECT_TRUE(label->autoFillBackground());
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 192));
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 13.5);
        EXPECT_EQ(label->font().weight(), QFont::Normal);
        EXPECT_EQ(label->font().styleHint(), QFont::SansSerif);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.RxWin(i)->palette().color(QPalette::Base) == QColor(224, 224, 224), i > 0);
        EXPECT_FALSE(window.RxWin(i)->isReadOnly());
    }
    EXPECT_EQ(window.windowTitle(), "RS232 Envoi / Reception d'instructions");
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    startUp(window, rig.gesrs, "");
    EXPECT_EQ(window.centralWidget()->size(), QSize(567, 271));
    EXPECT_EQ(window.centralWidget()->y(), window.menuBar()->height());
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(QApplication::focusWidget(), window.TxWin);
    for (int i : {0, 1, 2, 3, -1}) {  // Tab goes down the history and back to the entry box
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), i < 0 ? window.TxWin : window.RxWin(i));
    }
    EXPECT_TRUE(rig.pollTimer.enabled());
    EXPECT_EQ(rig.pollTimer.interval(), 100);

    const QList<QAction *> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text() + " " + menus[1]->text(), "&Port Série &Vitesse");
    QStringList items;
    for (QAction *item : menus[0]->menu()->actions() + menus[1]->menu()->actions())
        items << item->objectName() + " " + item->text();
    EXPECT_EQ(items,
              QString("port1 RS232 COM&1,port2 RS232 COM&2,port3 RS232 COM&3,port4 RS232 COM&4,"
                      "SPEED1 &1200 Bds,SPEED2 &9600 Bds")
                  .split(','));
    // Each item chosen, and whether the line is open at the time: a choice closes the line even
    // on the ticked item, and moves only its own mark.
    // clang-format off
    const std::pair<const char *, bool> choices[] = {{"port3", true}, {"port4", false},
        {"port4", true}, {"SPEED2", true}, {"SPEED2", true}, {"SPEED1", false}, {"port2", true},
        {"SPEED2", false}};
    // clang-format on
    int portChosen = 1;
    int speedChosen = 1;
    for (const auto &[item, lineOpen] : choices) {
        SCOPED_TRACE(item);
        rig.port.setPortOpen(lineOpen);
        const auto writesBefore = rig.port.propertyWrites().size();
        window.findChild<QAction *>(item)->trigger();
        (item[0] == 'p' ? portChosen : speedChosen) = item[std::strlen(item) - 1] - '0';

        EXPECT_FALSE(rig.port.PortOpen());
        EXPECT_EQ(rig.port.propertyWrites().size() - writesBefore, lineOpen ? 1u : 0u);
        EXPECT_EQ(rig.gesrs.voie_serie_Select, portChosen);
        EXPECT_EQ(rig.gesrs.Select_Vitesse_9600, speedChosen == 2);
        EXPECT_EQ(rig.marks(), QString("port%1 SPEED%2").arg(portChosen).arg(speedChosen));
    }

    // Ctrl+T and F12 open one trace window on the newest lines from before it, then live, to
    // copy and save.
    for (int i = 0; i < TraceWindow::kLineLimit + 4; ++i)
        trace.event(trace.now(), "ligne " + std::to_string(i));
    offerTraceWindow(window, trace);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const auto &[key, modifiers] :
         {std::pair{Qt::Key_T, Qt::ControlModifier}, std::pair{Qt::Key_F12, Qt::NoModifier}}) {
        QTest::keyClick(window.TxWin, key, modifiers);
        const auto windows = window.findChildren<TraceWindow *>();
        ASSERT_EQ(windows.size(), 1);
        EXPECT_TRUE(windows.front()->isVisible());
        windows.front()->close();
    }
    auto *traceWindow = window.findChild<TraceWindow *>();
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

// Checks the next modal box once it is shown, then answers it with `button`.
void answerNextBox(QMessageBox::StandardButton button, std::function<void(QMessageBox &)> check)
{
    QTimer::singleShot(0, [button, check] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        check(*box);
        box->button(button)->click();
    });
}

TEST(FailureBoxes, theOperatorReadsThemInFrenchAndTheEngineLearnsTheAnswer)
{
    ASSERT_TRUE(installFrenchTranslations(*qApp));
    WindowRig rig;
    // What they say is read on the real program in the line drills.
    const auto exchangeFailureBox = [](QMessageBox &box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Retry));
        EXPECT_EQ(box.button(QMessageBox::Retry)->text(), "Réessayer");
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Annuler");
    };
    using Choice = OperatorView::FailureChoice;
    for (const auto &[button, choice] : {std::pair{QMessageBox::Retry, Choice::Retry},
                                         std::pair{QMessageBox::Cancel, Choice::Cancel}}) {
        answerNextBox(button, exchangeFailureBox);
        EXPECT_EQ(rig.window.showExchangeFailure("", ""), choice);
    }
    answerNextBox(QMessageBox::Ok, [](QMessageBox &box) {
        EXPECT_EQ(box.windowTitle(), "comrs232");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
    });
    rig.window.showSetupFailure("");
}

}  // namespace
