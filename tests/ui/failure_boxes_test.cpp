#include "comrs232.h"
#include "failure_boxes.h"
#include "fake_timer.h"
#include "french_translations.h"
#include "traitrs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FailureBoxes : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(installFrenchTranslations(*qApp)); }
};

TEST_F(FailureBoxes, setUpFailureHasOkAloneNoIconAndTheProgramNameAsTitle)
{
    const auto box = makeSetupFailureBox(nullptr,
                                         " Liaison s\xE9rie d\xE9j\xE0 utilis\xE9"
                                         "e. \r Erreur : 8013");
    EXPECT_EQ(box->text(), QStringLiteral(" Liaison série déjà utilisée. \n Erreur : 8013"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("comrs232"));
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

TEST_F(FailureBoxes, exchangeFailureOffersRetryByDefaultAndCancelInFrench)
{
    const auto box = makeExchangeFailureBox(nullptr,
                                            "Erreur d'ex\xE9"
                                            "cution",
                                            "Erreur   8018");
    EXPECT_EQ(box->text(), QStringLiteral("Erreur d'exécution"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Erreur   8018"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Retry));
    EXPECT_EQ(box->button(QMessageBox::Retry)->text(), QStringLiteral("Réessayer"));
    EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Annuler"));
}

// Answers the next modal box with `button` as soon as it is shown.
void answerNextBox(QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(button)->click();
    });
}

TEST_F(FailureBoxes, theWindowTellsTheEngineWhichAnswerWasChosen)
{
    VirtualTimeline timeline;
    FakeTimer pollTimer{timeline};
    TraitRS traitRS;
    ComRS232 window{pollTimer, traitRS};

    answerNextBox(QMessageBox::Cancel);
    EXPECT_EQ(window.showExchangeFailure("Erreur d'ex\xE9"
                                         "cution",
                                         "Erreur   8018"),
              OperatorView::FailureChoice::Cancel);
    answerNextBox(QMessageBox::Retry);
    EXPECT_EQ(window.showExchangeFailure("Erreur d'ex\xE9"
                                         "cution",
                                         "Erreur   8018"),
              OperatorView::FailureChoice::Retry);
    answerNextBox(QMessageBox::Ok);
    window.showSetupFailure("Liaison s\xE9rie non g\xE9r\xE9"
                            "e. \r     Erreur : 8002");
}

}  // namespace
