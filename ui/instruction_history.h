#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

/// The instructions sent before, for Up and Down in the entry box. They are kept across runs in
/// one file shared by every window of the user: oldest first, at most kLimit, an instruction
/// sent again right after itself kept once. A file that cannot be read or written safely is
/// left alone for the rest of the run: the run's own instructions are recalled from memory.
class InstructionHistory
{
public:
    static constexpr qsizetype kLimit = 200;
    /// Far above 200 instructions of a full frame, however QSettings escapes them.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    /// The user's configuration folder, where the program keeps its history.
    static QString defaultPath();

    explicit InstructionHistory(QString path);

    /// Adds a sent instruction and writes the file at once, since closing the window ends the
    /// program on the spot. What other windows added meanwhile is kept. Restarts the walk.
    void record(const QString &instruction);
    /// Ends a walk without recording, for an instruction that is not kept.
    void restartWalk();

    /// One step of the walk, newest first, from `current`, what the box holds. Stepping newer
    /// past the newest gives back what the box held when the walk began.
    QString older(const QString &current);
    QString newer(const QString &current);

    /// What the file keeps now, oldest first; nothing when it cannot be read.
    QStringList entries() const { return readFile().value_or(QStringList()); }

    /// Told once, in French, when the file is given up for the rest of the run.
    void setTroubleReport(std::function<void(const QString &)> report);

private:
    std::optional<QStringList> readFile(QString *whyNot = nullptr) const;
    std::optional<QStringList> readFileOrGiveUp();
    bool writeFile(const QStringList &entries) const;
    void giveUpFile(const QString &why);

    QString m_path;
    bool m_fileUsable = true;
    std::function<void(const QString &)> m_troubleReport;
    QStringList m_entries;  // oldest first, as the walk or the latest record saw them
    qsizetype m_steps = 0;  // how far the walk has gone back; 0 is the box's own text
    QString m_draft;        // the box's text when the walk began
};
