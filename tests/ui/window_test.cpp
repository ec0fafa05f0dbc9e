#include "comrs232.h"
#include "fake_timer.h"
#include "traitrs.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WindowTest : public ::testing::Test
{
protected:
    VirtualTimeline timeline;
    FakeTimer pollTimer{timeline};
    TraitRS traitRS;
    ComRS232 window{pollTimer, traitRS};

    QWidget *control(const char *name) { return window.findChild<QWidget *>(name); }
};

struct Placement
{
    const char *name;
    QRect pixels;  // the twips of the control table divided by 15
};

TEST_F(WindowTest, everyControlSitsAtItsPlaceInTheClientArea)
{
    const Placement placements[] = {
        {"RxWin3", {168, 72, 385, 25}},
        {"RxWin2", {168, 96, 385, 25}},
        {"RxWin1", {168, 120, 385, 25}},
        {"RxWin0", {168, 144, 385, 25}},
        {"TxWin", {168, 16, 385, 27}},
        {"Pb_rs", {160, 200, 281, 41}},
        {"Label1", {56, 144, 89, 25}},
        {"TX", {56, 16, 89, 25}},
    };
    for (const Placement &placement : placements) {
        QWidget *widget = control(placement.name);
        ASSERT_NE(widget, nullptr) << placement.name;
        EXPECT_EQ(widget->parentWidget(), window.centralWidget()) << placement.name;
        EXPECT_EQ(widget->geometry(), placement.pixels) << placement.name;
    }
}

TEST_F(WindowTest, clientAreaBelowTheMenuBarIs567By271)
{
    window.sizeToClientArea();
    window.show();
    EXPECT_EQ(window.centralWidget()->size(), QSize(567, 271));
    EXPECT_EQ(window.centralWidget()->y(), window.menuBar()->height());
}

TEST_F(WindowTest, captionsAndInitialState)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("RS232 Envoi / Reception d'instructions"));
    EXPECT_EQ(window.TX->text(), QStringLiteral("Envoi"));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Reception"));
    EXPECT_TRUE(window.Pb_rs->text().isEmpty());
    EXPECT_TRUE(window.Pb_rs->isVisibleTo(&window));
    EXPECT_TRUE(window.TxWin->text().isEmpty());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(window.RxWin(i)->text().isEmpty());
        EXPECT_FALSE(window.RxWin(i)->isReadOnly());
    }
    EXPECT_TRUE(pollTimer.enabled());
    EXPECT_EQ(pollTimer.interval(), 100);
}

TEST_F(WindowTest, menusCarryTheirItemsUntickedAndEnabled)
{
    const QList<QAction *> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&Port Série"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Vitesse"));
    EXPECT_EQ(menus[0]->menu(), window.Portlist);
    EXPECT_EQ(menus[1]->menu(), window.Vitcom);

    const QStringList portCaptions = {"RS232 COM&1", "RS232 COM&2", "RS232 COM&3", "RS232 COM&4"};
    ASSERT_EQ(window.Portlist->actions().size(), 4);
    for (int n = 1; n <= 4; ++n) {
        QAction *item = window.Portlist->actions()[n - 1];
        EXPECT_EQ(item, window.port(n));
        EXPECT_EQ(item->objectName(), QStringLiteral("port%1").arg(n));
        EXPECT_EQ(item->text(), portCaptions[n - 1]);
        EXPECT_TRUE(item->isCheckable() && item->isEnabled() && !item->isChecked());
    }
    const QStringList speedCaptions = {"&1200 Bds", "&9600 Bds"};
    ASSERT_EQ(window.Vitcom->actions().size(), 2);
    for (int n = 1; n <= 2; ++n) {
        QAction *item = window.Vitcom->actions()[n - 1];
        EXPECT_EQ(item, window.SPEED(n));
        EXPECT_EQ(item->objectName(), QStringLiteral("SPEED%1").arg(n));
        EXPECT_EQ(item->text(), speedCaptions[n - 1]);
        EXPECT_TRUE(item->isCheckable() && item->isEnabled() && !item->isChecked());
    }
}

TEST_F(WindowTest, coloursAndTheCaptionFont)
{
    for (QLabel *label : {window.Label1, window.TX}) {
        EXPECT_TRUE(label->autoFillBackground());
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 192));
        const QFont font = label->font();
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 13.5);
        EXPECT_EQ(font.weight(), 400);
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
        EXPECT_EQ(font.styleHint(), QFont::SansSerif);
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(window.RxWin(i)->palette().color(QPalette::Base), QColor(224, 224, 224));
    EXPECT_NE(window.RxWin(0)->palette().color(QPalette::Base), QColor(224, 224, 224));
    EXPECT_EQ(window.Pb_rs->focusPolicy(), Qt::NoFocus);
}

TEST_F(WindowTest, assistiveToolsFindTheBoxesAndStillReadTheProblemCaption)
{
    for (const char *name : {"TxWin", "RxWin0", "RxWin1", "RxWin2", "RxWin3"}) {
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(control(name));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(QAccessible::Name), QString::fromLatin1(name));
    }
    window.Pb_rs->setText(QStringLiteral("Problème RS232: ABSENCE DE REPONSE"));
    QAccessibleInterface *label = QAccessible::queryAccessibleInterface(window.Pb_rs);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("Problème RS232: ABSENCE DE REPONSE"));
    EXPECT_EQ(label->text(QAccessible::Description), QStringLiteral("Pb_rs"));
}

TEST_F(WindowTest, theIconIsOurOwn32By32)
{
    const QIcon icon = window.windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
}

TEST_F(WindowTest, focusStartsInTheEntryBoxAndTabGoesDownTheHistoryAndBack)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(QApplication::focusWidget(), window.TxWin);

    QTest::keyClicks(QApplication::focusWidget(), "abc");
    EXPECT_EQ(window.TxWin->text(), QStringLiteral("abc"));

    const QWidget *expected[] = {
        window.RxWin(0), window.RxWin(1), window.RxWin(2), window.RxWin(3), window.TxWin};
    for (const QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

struct KeyCase
{
    Qt::Key key;
    QString text;
    int keyAscii;
};

TEST(KeyAscii, isTheCharacterCodeAndEnterIsThirteen)
{
    const KeyCase cases[] = {
        {Qt::Key_Return, QStringLiteral("\r"), 13},
        {Qt::Key_Enter, QStringLiteral("\r"), 13},
        {Qt::Key_Return, QString(), 13},
        {Qt::Key_A, QStringLiteral("a"), 97},
        {Qt::Key_Backspace, QStringLiteral("\b"), 8},
        {Qt::Key_Eacute, QStringLiteral("é"), 233},
        {Qt::Key_Tab, QStringLiteral("\t"), -1},
        {Qt::Key_Left, QString(), -1},
        {Qt::Key_F1, QString(), -1},
    };
    for (const KeyCase &c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier, c.text);
        EXPECT_EQ(ComRS232::keyAsciiOf(event), c.keyAscii) << c.key;
    }
}

}  // namespace
