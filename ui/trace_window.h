#pragma once

#include "protocol_trace.h"

#include <QWidget>

class QPlainTextEdit;

/// The trace shown live in a window of its own: the newest kLineLimit lines, which the operator
/// can copy or save to a file of their choosing. It listens to the trace while it exists.
class TraceWindow : public QWidget, public TraceSink
{
    Q_OBJECT

public:
    static constexpr int kLineLimit = 10000;

    explicit TraceWindow(ProtocolTrace &trace, QWidget *parent = nullptr);
    ~TraceWindow() override;

    void traceLine(const std::string &line) override;

    QString text() const;
    /// Every line kept, into the clipboard.
    void copyAll();
    /// Writes the lines kept to `path`; false, with the reason in the box, when it cannot.
    bool saveTo(const QString &path);

private:
    void askWhereToSave();

    ProtocolTrace &m_trace;
    QPlainTextEdit *m_lines = nullptr;
};

/// Ctrl+T and F12 in `window` open its trace window, created the first time; from then on it
/// keeps the lines even while closed.
void offerTraceWindow(QWidget &window, ProtocolTrace &trace);
