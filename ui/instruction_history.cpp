#include "instruction_history.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kArray = QStringLiteral("instructions");
const QString kText = QStringLiteral("text");
constexpr int kLockWaitMs = 2000;

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

void InstructionHistory::record(const QString &instruction)
{
    restartWalk();
    if (instruction.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Two windows may record at the same moment: each re-reads the file under the lock and adds
    // its instruction to what it finds. QSettings takes "<file>.lock" itself while it writes.
    QLockFile lock(m_path + QStringLiteral(".merge-lock"));
    const bool locked = lock.tryLock(kLockWaitMs);
    QStringList entries = locked ? readFile() : m_entries;
    if (entries.isEmpty() || entries.last() != instruction)
        entries.append(instruction);
    if (entries.size() > kLimit)
        entries.remove(0, entries.size() - kLimit);
    // Without the lock the file is left alone rather than risk losing another window's entries.
    if (locked)
        writeFile(entries);
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
        m_entries = readFile();
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

QStringList InstructionHistory::readFile() const
{
    QSettings settings(m_path, QSettings::IniFormat);
    QStringList entries;
    const int size = settings.beginReadArray(kArray);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const QString text = settings.value(kText).toString();
        if (!text.isEmpty())
            entries.append(text);
    }
    settings.endArray();
    if (entries.size() > kLimit)
        entries.remove(0, entries.size() - kLimit);
    return entries;
}

void InstructionHistory::writeFile(const QStringList &entries) const
{
    QSettings settings(m_path, QSettings::IniFormat);
    settings.remove(kArray);
    settings.beginWriteArray(kArray, static_cast<int>(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kText, entries.at(i));
    }
    settings.endArray();
    // A file that cannot be written costs the recall of this run only: nothing to tell.
    settings.sync();
}
