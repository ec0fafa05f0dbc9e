#include "french_translations.h"
#include "window_rig.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

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
