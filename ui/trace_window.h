#pragma once

#include "protocol_trace.h"

#include <QWidget>

class ExchangeJournal;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/// The trace shown live in a window of its own: the newest kLineLimit lines, from before it
/// opened too, which the operator can copy or save to a file of their choosing. It listens to
/// the trace while it exists. With a journal, a button starts or stops recording the exchanges
/// to a file.
class TraceWindow : public QWidget, public TraceSink
{
    Q_OBJECT

public:
    static constexpr int kLineLimit = 10000;

    explicit TraceWindow(ProtocolTrace &trace,
                         ExchangeJournal *journal = nullptr,
                         QWidget *parent = nullptr);
    ~TraceWindow() override;

    void traceLine(const std::string &line) override;

    QString text() const;
    /// Every line kept, into the clipboard.
    void copyAll();
    /// Writes the lines kept to `path`; false, with the reason in the box, when it cannot.
    bool saveTo(const QString &path);
    /// Records the exchanges to `path`, appended; false when it cannot (the journal says why).
    bool startJournal(const QString &path);
    void stopJournal();

private:
    void askWhereToSave();
    void startOrStopJournal();
    void showJournalState();

    ProtocolTrace &m_trace;
    ExchangeJournal *m_journal;
    QPlainTextEdit *m_lines = nullptr;
    QPushButton *m_journalButton = nullptr;
    QLabel *m_journalState = nullptr;
};

/// Ctrl+T and F12 in `window` open its trace window, created the first time; from then on it
/// keeps the lines even while closed.
void offerTraceWindow(QWidget &window, ProtocolTrace &trace, ExchangeJournal *journal = nullptr);
