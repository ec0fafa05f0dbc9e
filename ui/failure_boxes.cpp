#include "failure_boxes.h"

#include "engine_text.h"

#include <QCoreApplication>

namespace {

std::unique_ptr<QMessageBox> makeBox(QWidget *parent, const std::string &text)
{
    auto box = std::make_unique<QMessageBox>(parent);
    // Plain text keeps the leading spaces of the messages and shows "<" as typed.
    box->setTextFormat(Qt::PlainText);
    box->setText(fromEngineText(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    return box;
}

}  // namespace

std::unique_ptr<QMessageBox> makeSetupFailureBox(QWidget *parent, const std::string &text)
{
    auto box = makeBox(parent, text);
    box->setWindowTitle(QCoreApplication::applicationName());
    box->setIcon(QMessageBox::NoIcon);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox>
makeExchangeFailureBox(QWidget *parent, const std::string &text, const std::string &title)
{
    auto box = makeBox(parent, text);
    box->setWindowTitle(fromEngineText(title));
    box->setIcon(QMessageBox::Critical);
    box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Retry);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}
