#include "trace_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QVBoxLayout>

TraceWindow::TraceWindow(ProtocolTrace &trace, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_trace(trace)
{
    setObjectName(QStringLiteral("TraceWindow"));
    setWindowTitle(QStringLiteral("Trace du protocole"));
    m_lines = new QPlainTextEdit(this);
    m_lines->setObjectName(QStringLiteral("TraceLines"));
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_lines->setMaximumBlockCount(kLineLimit);
    m_lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *copy = new QPushButton(QStringLiteral("&Copier"), this);
    auto *save = new QPushButton(QStringLiteral("&Enregistrer..."), this);
    connect(copy, &QPushButton::clicked, this, &TraceWindow::copyAll);
    connect(save, &QPushButton::clicked, this, &TraceWindow::askWhereToSave);
    auto *buttons = new QHBoxLayout;
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

void offerTraceWindow(QWidget &window, ProtocolTrace &trace)
{
    auto open = [&window, &trace] {
        auto *traceWindow = window.findChild<TraceWindow *>();
        if (!traceWindow)
            traceWindow = new TraceWindow(trace, &window);
        traceWindow->show();
        traceWindow->raise();
        traceWindow->activateWindow();
    };
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_T), QKeySequence(Qt::Key_F12)})
        QObject::connect(new QShortcut(keys, &window), &QShortcut::activated, &window, open);
}
