#include "trace_window.h"

#include "exchange_journal.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QVBoxLayout>

TraceWindow::TraceWindow(ProtocolTrace &trace, ExchangeJournal *journal, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_trace(trace)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("TraceWindow"));
    setWindowTitle(QStringLiteral("Trace du protocole"));
    m_lines = new QPlainTextEdit(this);
    m_lines->setObjectName(QStringLiteral("TraceLines"));
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_lines->setMaximumBlockCount(kLineLimit);
    m_lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // What the trace kept before the window opened: the bytes that led to the problem on show.
    QStringList kept;
    for (const std::string &line : m_trace.keptLines())
        kept.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    if (!kept.isEmpty())
        m_lines->setPlainText(kept.join('\n'));

    auto *copy = new QPushButton(QStringLiteral("&Copier"), this);
    auto *save = new QPushButton(QStringLiteral("&Enregistrer..."), this);
    connect(copy, &QPushButton::clicked, this, &TraceWindow::copyAll);
    connect(save, &QPushButton::clicked, this, &TraceWindow::askWhereToSave);
    auto *buttons = new QHBoxLayout;
    if (m_journal) {
        m_journalButton = new QPushButton(this);
        m_journalButton->setObjectName(QStringLiteral("JournalButton"));
        m_journalState = new QLabel(this);
        m_journalState->setObjectName(QStringLiteral("JournalState"));
        connect(m_journalButton, &QPushButton::clicked, this, &TraceWindow::startOrStopJournal);
        buttons->addWidget(m_journalButton);
        buttons->addWidget(m_journalState, 1);
        showJournalState();
    }
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lines);
    layout->addLayout(buttons);
    resize(900, 400);

    m_trace.addSink(*this);
}

TraceWindow::~TraceWindow()
{
    m_trace.removeSink(*this);
}

void TraceWindow::traceLine(const std::string &line)
{
    m_lines->appendPlainText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

QString TraceWindow::text() const
{
    return m_lines->toPlainText();
}

void TraceWindow::copyAll()
{
    QGuiApplication::clipboard()->setText(text());
}

bool TraceWindow::saveTo(const QString &path)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(text().toUtf8() + '\n');
        if (file.commit())
            return true;
    }
    QMessageBox::warning(this,
                         windowTitle(),
                         QStringLiteral("Impossible d'enregistrer la trace dans %1 : %2")
                             .arg(path, file.errorString()));
    return false;
}

void TraceWindow::askWhereToSave()
{
    const QString path =
        QFileDialog::getSaveFileName(this,
                                     QStringLiteral("Enregistrer la trace"),
                                     QStringLiteral("trace-comrs232.txt"),
                                     QStringLiteral("Texte (*.txt);;Tous les fichiers (*)"));
    if (!path.isEmpty())
        saveTo(path);
}

bool TraceWindow::startJournal(const QString &path)
{
    const bool started = m_journal->open(QFile::encodeName(path).toStdString());
    showJournalState();
    return started;
}

void TraceWindow::stopJournal()
{
    m_journal->close();
    showJournalState();
}

void TraceWindow::startOrStopJournal()
{
    if (m_journal->isOpen()) {
        stopJournal();
        return;
    }
    // Appending is the point: an existing journal is continued, not replaced.
    const QString path =
        QFileDialog::getSaveFileName(this,
                                     QStringLiteral("Journal des échanges"),
                                     QStringLiteral("journal-comrs232.csv"),
                                     QStringLiteral("CSV (*.csv);;Tous les fichiers (*)"),
                                     nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        startJournal(path);
}

void TraceWindow::showJournalState()
{
    const bool on = m_journal->isOpen();
    m_journalButton->setText(on ? QStringLiteral("Arrêter le &journal")
                                : QStringLiteral("&Journal..."));
    m_journalState->setText(on ? QStringLiteral("Journal : ") +
                                     QFile::decodeName(m_journal->path().c_str())
                               : QString());
}

void offerTraceWindow(QWidget &window, ProtocolTrace &trace, ExchangeJournal *journal)
{
    auto open = [&window, &trace, journal] {
        auto *traceWindow = window.findChild<TraceWindow *>();
        if (!traceWindow)
            traceWindow = new TraceWindow(trace, journal, &window);
        traceWindow->show();
        traceWindow->raise();
        traceWindow->activateWindow();
    };
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_T), QKeySequence(Qt::Key_F12)})
        QObject::connect(new QShortcut(keys, &window), &QShortcut::activated, &window, open);
}
