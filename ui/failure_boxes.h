#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

/// The set-up failure box: OK alone, no icon, the application's name as title.
/// "\r" in the engine's text is a line break.
std::unique_ptr<QMessageBox> makeSetupFailureBox(QWidget *parent, const std::string &text);

/// The exchange failure box: Retry (the default) and Cancel, critical icon.
std::unique_ptr<QMessageBox>
makeExchangeFailureBox(QWidget *parent, const std::string &text, const std::string &title);
