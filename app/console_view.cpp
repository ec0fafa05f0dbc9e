#include "console_view.h"

#include "frame.h"
#include "traitrs.h"

#include <QString>
#include <cerrno>

namespace {

// A box's text on one line: its "\r" line breaks and the spaces around them become one space.
std::string oneLine(const std::string &boxText)
{
    std::string line;
    bool pendingBreak = false;
    for (const char c : boxText) {
        if (c == '\r') {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            pendingBreak = true;
            continue;
        }
        if (pendingBreak && c == ' ')
            continue;
        if (pendingBreak && !line.empty())
            line += ' ';
        pendingBreak = false;
        line += c;
    }
    const auto first = line.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first);
}

}  // namespace

ConsoleView::ConsoleView(const TraitRS &traitRS, std::FILE *replies, std::FILE *problems)
    : m_traitRS(traitRS)
    , m_replies(replies)
    , m_problems(problems)
{}

void ConsoleView::startInstruction()
{
    m_replyVerified = false;
    m_portFailed = false;
    m_lastProblem.clear();
}

void ConsoleView::noteUnverified(const std::string &instruction)
{
    if (!m_lastProblem.empty())
        return;
    const QString note =
        QStringLiteral("comrs232 : « %1 » sans réponse vérifiée (problème non signalé : moins "
                       "d'une seconde après le précédent)")
            .arg(QString::fromLatin1(instruction.data(),
                                     static_cast<qsizetype>(instruction.size())));
    writeProblem(note.toLatin1().toStdString());
}

void ConsoleView::afficheRecept()
{
    m_replyVerified = true;
    // A line break in a reply would read as two replies to a script.
    if (const int error = writeLine(m_replies, controlsAsCodes(m_traitRS.reponse[0]));
        error != 0 && m_replyWriteError == 0)
        m_replyWriteError = error;
}

void ConsoleView::setProblemCaption(const std::string &caption)
{
    writeProblem(caption);
}

void ConsoleView::showSetupFailure(const std::string &text)
{
    m_portFailed = true;
    writeProblem(oneLine(text));
}

OperatorView::FailureChoice ConsoleView::showExchangeFailure(const std::string &text,
                                                             const std::string &title)
{
    m_portFailed = true;
    writeProblem(title + " : " + text);
    return FailureChoice::Cancel;
}

void ConsoleView::writeProblem(const std::string &engineText)
{
    if (engineText == m_lastProblem)
        return;
    m_lastProblem = engineText;
    writeLine(m_problems, engineText);
}

int ConsoleView::writeLine(std::FILE *stream, const std::string &engineText)
{
    // Engine texts are Latin-1; the terminal reads the locale's encoding.
    const QByteArray local =
        QString::fromLatin1(engineText.data(), static_cast<qsizetype>(engineText.size()))
            .toLocal8Bit();
    const auto size = static_cast<std::size_t>(local.size());
    if (std::fwrite(local.constData(), 1, size, stream) != size ||
        std::fputc('\n', stream) == EOF || std::fflush(stream) != 0)
        return errno != 0 ? errno : EIO;
    return 0;
}
