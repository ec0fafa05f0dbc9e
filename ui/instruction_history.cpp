#include "instruction_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kArray = QStringLiteral("instructions");
const QString kText = QStringLiteral("text");
constexpr int kLockWaitMs = 2000;

enum class FileCheck { Missing, Readable, Unusable };

// QSettings would wait for ever on a FIFO and read a huge file whole: the file is first opened
// without blocking or following a link, and must be a regular file of bounded size.
FileCheck checkFile(const QString &path, QString &why)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileCheck::Missing;
        why = QStringLiteral("ne peut pas être lu (%1)")
                  .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return FileCheck::Unusable;
    }
    struct stat file = {};
    const bool known = ::fstat(fd, &file) == 0;
    ::close(fd);
    if (!known || !S_ISREG(file.st_mode))
        why = QStringLiteral("n'est pas un fichier ordinaire");
    else if (file.st_size > InstructionHistory::kMaxFileBytes)
        why = QStringLiteral("est trop grand");
    return why.isEmpty() ? FileCheck::Readable : FileCheck::Unusable;
}

}  // namespace

QString InstructionHistory::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/instructions.conf");
}

InstructionHistory::InstructionHistory(QString path)
    : m_path(std::move(path))
{
    // Nothing is read yet: the file is read when a walk begins, not while the window starts.
}

void InstructionHistory::setTroubleReport(std::function<void(const QString &)> report)
{
    m_troubleReport = std::move(report);
}

void InstructionHistory::record(const QString &instruction)
{
    restartWalk();
    if (instruction.isEmpty())
        return;
    QStringList entries = m_entries;
    std::optional<QLockFile> lock;
    if (m_fileUsable) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        // Two windows may record at the same moment: each re-reads the file under the lock and
        // adds its instruction to what it finds. QSettings takes "<file>.lock" itself to write.
        lock.emplace(m_path + QStringLiteral(".merge-lock"));
        if (lock->tryLock(kLockWaitMs))
            entries = readFileOrGiveUp().value_or(m_entries);
        else if (lock->error() != QLockFile::LockFailedError)
            giveUpFile(QStringLiteral("ne peut pas être écrit"));
        // Held by another window too long: the file is left alone this time rather than risk
        // losing that window's entries.
    }
    if (entries.isEmpty() || entries.last() != instruction)
        entries.append(instruction);
    if (entries.size() > kLimit)
        entries.remove(0, entries.size() - kLimit);
    if (m_fileUsable && lock && lock->isLocked() && !writeFile(entries))
        giveUpFile(QStringLiteral("ne peut pas être écrit"));
    m_entries = entries;
}

void InstructionHistory::restartWalk()
{
    m_steps = 0;
    m_draft.clear();
}

QString InstructionHistory::older(const QString &current)
{
    if (m_steps == 0) {
        // A walk starts from the file, so that it offers what other windows sent too.
        if (m_fileUsable)
            m_entries = readFileOrGiveUp().value_or(m_entries);
        m_draft = current;
    }
    if (m_steps == m_entries.size())
        return current;
    ++m_steps;
    return m_entries.at(m_entries.size() - m_steps);
}

QString InstructionHistory::newer(const QString &current)
{
    if (m_steps == 0)
        return current;
    --m_steps;
    return m_steps == 0 ? m_draft : m_entries.at(m_entries.size() - m_steps);
}

std::optional<QStringList> InstructionHistory::readFile(QString *whyNot) const
{
    QString why;
    const FileCheck check = checkFile(m_path, why);
    if (whyNot)
        *whyNot = why;
    switch (check) {
    case FileCheck::Missing:
        return QStringList();
    case FileCheck::Unusable:
        return std::nullopt;
    case FileCheck::Readable:
        break;
    }
    QSettings settings(m_path, QSettings::IniFormat);
    QStringList entries;
    // The count is the file's word: only the last kLimit places are looked at.
    const int size = settings.beginReadArray(kArray);
    for (int i = std::max(0, size - static_cast<int>(kLimit)); i < size; ++i) {
        settings.setArrayIndex(i);
        const QString text = settings.value(kText).toString();
        if (!text.isEmpty())
            entries.append(text);
    }
    settings.endArray();
    return entries;
}

std::optional<QStringList> InstructionHistory::readFileOrGiveUp()
{
    QString why;
    std::optional<QStringList> entries = readFile(&why);
    if (!entries)
        giveUpFile(why);
    return entries;
}

void InstructionHistory::giveUpFile(const QString &why)
{
    if (!m_fileUsable)
        return;
    m_fileUsable = false;
    if (m_troubleReport)
        m_troubleReport(QStringLiteral("Rappel des instructions non enregistré : %1 %2 ; celles de "
                                       "cette session restent rappelées.")
                            .arg(m_path, why));
}

bool InstructionHistory::writeFile(const QStringList &entries) const
{
    QSettings settings(m_path, QSettings::IniFormat);
    settings.remove(kArray);
    settings.beginWriteArray(kArray, static_cast<int>(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kText, entries.at(i));
    }
    settings.endArray();
    settings.sync();
    return settings.status() != QSettings::AccessError;
}
