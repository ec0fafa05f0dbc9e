#include "french_translations.h"
#include "window_rig.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(Window, opensWithEveryControlInPlaceCaptionedColouredNamedAndFocusInTheEntryBox)
{
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
    window.Pb_rs->setText("Problème RS232: ABSENCE DE REPONSE");
    QAccessibleInterface *problem = QAccessible::queryAccessibleInterface(window.Pb_rs);
    EXPECT_EQ(problem->text(QAccessible::Name), "Problème RS232: ABSENCE DE REPONSE");
    EXPECT_EQ(problem->text(QAccessible::Description), "Pb_rs");
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
    window.sizeToClientArea();
    window.show();
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
    const auto exchangeFailureBox = [](QMessageBox &box) {
        EXPECT_EQ(box.text(), "Erreur d'exécution");
        EXPECT_EQ(box.windowTitle(), "Erreur   8018");
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
        EXPECT_EQ(rig.window.showExchangeFailure("Erreur d'ex\xE9"
                                                 "cution",
                                                 "Erreur   8018"),
                  choice);
    }
    answerNextBox(QMessageBox::Ok, [](QMessageBox &box) {
        EXPECT_EQ(box.text(), " Liaison série \n Erreur : 8013");
        EXPECT_EQ(box.windowTitle(), "comrs232");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
    });
    rig.window.showSetupFailure(" Liaison s\xE9rie \r Erreur : 8013");
}

}  // namespace
