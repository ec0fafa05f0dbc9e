#include "instruction_history.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace {

// Two windows on one file: each keeps what the other recorded, a repeat once, the newest 200.
TEST(InstructionHistory, twoWindowsKeepTheNewest200ARepeatOnceWalkedNewestFirstBackToTheDraft)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instructions.conf");
    InstructionHistory first(path);
    InstructionHistory second(path);
    first.record("WWWW");
    first.record("WWWW");
    first.record("");
    for (int i = 0; i < 205; ++i) {
        first.record(QString("I%1").arg(i));
        first.record(QString("I%1").arg(i));
    }
    second.record("a,b \"c\" = \\d ;e");
    first.record("WWWW");
    const QStringList kept = InstructionHistory(path).entries();
    ASSERT_EQ(kept.size(), 200);
    EXPECT_EQ(kept.front(), "I7");
    EXPECT_EQ(kept.mid(197), (QStringList{"I204", "a,b \"c\" = \\d ;e", "WWWW"}));

    // Down first, then Up past the oldest, then Down past the newest: the draft comes back.
    QStringList expected = {"brouillon"};
    std::copy(kept.rbegin(), kept.rend(), std::back_inserter(expected));
    expected << kept.front() << kept.mid(1) << "brouillon"
             << "brouillon";
    const QString keys = 'v' + QString(201, '^') + QString(201, 'v');
    QStringList walked;
    QString box = "brouillon";
    for (const QChar key : keys)
        walked << (box = key == '^' ? second.older(box) : second.newer(box));
    EXPECT_EQ(walked, expected);
}

TEST(InstructionHistory, aFileItCannotUseSafelyIsLeftAloneAndTheRunIsRecalledFromMemory)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("instructions.conf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile large(dir.filePath("large"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) &&
                large.resize(InstructionHistory::kMaxFileBytes + 1));
    // A FIFO, which would block for ever; a folder that cannot be made (/proc refuses even
    // root), so nothing can be written; a file too large.
    for (const QString &path : {fifo, QString("/proc/comrs232-none/i.conf"), large.fileName()}) {
        SCOPED_TRACE(path.toStdString());
        InstructionHistory history(path);
        QStringList troubles;
        history.setTroubleReport([&](const QString &trouble) { troubles.append(trouble); });

        history.record("UN");
        history.record("DEUX");

        EXPECT_EQ(history.older(""), "DEUX");
        EXPECT_EQ(history.older("DEUX"), "UN");
        ASSERT_EQ(troubles.size(), 1);
        EXPECT_TRUE(troubles[0].startsWith(
            QString::fromUtf8("Rappel des instructions non enregistré : ") + path));
    }
}

}  // namespace
