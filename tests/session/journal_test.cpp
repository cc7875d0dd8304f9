// The journal on its own: what its files hold, when a set gets no file of its
// own, what a write cut short at any point leaves, and rows it cannot use.
#include "session/journal.h"
#include "session/setdocument.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults();
    return image;
}

JournalEntry entryAt(int second, const QString &operation = QStringLiteral("read"))
{
    JournalEntry e;
    e.time = QDateTime(QDate(2026, 12, 9), QTime(7, 31, second));
    e.operation = operation;
    e.result = QStringLiteral("ok");
    e.firmware = QStringLiteral("TCI07  3.03.2004 09:05");
    e.counter = QStringLiteral("12");
    return e;
}

QStringList ignFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.ign")}, QDir::Files, QDir::Name);
}

} // namespace

// An entry's file is what Save writes for the same set, out-of-range bytes
// and a broken curve included, so it opens anywhere and verifies against the
// unit it came from.
TEST(Journal, EntryFilesAreWhatSaveWrites)
{
    ParameterImage outOfRange = defaults();
    outOfRange.advance(3) = 70;
    outOfRange[ParameterImage::kLimiter] = 0;
    outOfRange[ParameterImage::kRpm2] = 2;
    ParameterImage brokenCurve = defaults();
    brokenCurve.rpmAdv(4) = brokenCurve.rpmAdv(3);
    ParameterImage reserved = defaults();
    reserved[7] = 0x5a;
    reserved[52] = 0xff;

    int second = 0;
    for (const ParameterImage &set : {defaults(), outOfRange, brokenCurve, reserved}) {
        QTemporaryDir dir;
        SetDocument document;
        document.restore(set, QString(), QString());
        const QString saved = dir.filePath(QStringLiteral("saved.ign"));
        ASSERT_TRUE(document.save(saved));

        Journal journal(dir.filePath(QStringLiteral("journal")));
        QString reason;
        const auto kept = journal.keep(entryAt(second++), &set, &reason);
        ASSERT_TRUE(kept) << reason.toStdString();
        EXPECT_EQ(contents(journal.filePath(*kept)), contents(saved)) << "set " << second;
    }
}

// A set equal to the previous entry's set (whatever the operation) names the
// previous file; a different one gets a file of its own and the count of
// fields that differ; an entry without a set changes neither.
TEST(Journal, EqualSetsShareOneFileAndDifferencesAreCounted)
{
    QTemporaryDir dir;
    Journal journal(dir.path());
    ParameterImage changed = defaults();
    changed.advance(0) += 2;
    changed[ParameterImage::kBaseAdv] += 1;

    struct Step
    {
        QString operation;
        const ParameterImage *set;
        bool newFile;
        int differing;
    };
    const ParameterImage base = defaults();
    const std::vector<Step> steps{
        {QStringLiteral("read"), &base, true, -1},
        {QStringLiteral("read"), &base, false, 0},
        {QStringLiteral("read"), nullptr, false, -1},
        {QStringLiteral("program"), &base, false, 0},
        {QStringLiteral("program"), &changed, true, 2},
        {QStringLiteral("verify"), &changed, false, 0},
        {QStringLiteral("read"), &base, true, 2},
    };
    QStringList files;
    std::vector<JournalEntry> kept;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        // All within one second: names must not collide.
        const auto entry = journal.keep(entryAt(5, steps[i].operation), steps[i].set);
        ASSERT_TRUE(entry);
        const QStringList now = ignFiles(dir.path());
        EXPECT_EQ(now.size(), files.size() + (steps[i].newFile ? 1 : 0)) << "step " << i;
        EXPECT_EQ(entry->differing, steps[i].differing) << "step " << i;
        EXPECT_EQ(entry->fileName.isEmpty(), steps[i].set == nullptr) << "step " << i;
        if (steps[i].newFile) {
            EXPECT_FALSE(files.contains(entry->fileName)) << "step " << i;
        }
        files = now;
        kept.push_back(*entry);
    }
    EXPECT_EQ(kept[0].fileName, QStringLiteral("2026-12-09T07-31-05_read.ign"));
    EXPECT_EQ(kept[1].fileName, kept[0].fileName);
    EXPECT_EQ(journal.entries(), kept);

    // The entry to compare with lies far back in a long journal: behind
    // thousands of rows without a set, or just behind a cut row.
    for (const int rows : {3000, 0}) {
        QFile index(journal.indexPath());
        ASSERT_TRUE(index.open(QIODevice::Append));
        for (int i = 0; i < rows; ++i)
            index.write("2026-12-09T07:32:00+01:00,read,no reply,\"TCI, 07\",,,-1\n");
        index.write("2026-12-09T07:32:00+01:00,read,no re");
        index.close();
        const auto again = journal.keep(entryAt(6), &base);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->fileName, kept.back().fileName) << rows << " rows";
        EXPECT_EQ(ignFiles(dir.path()).size(), files.size());
    }
}

// A write cut short at each of its steps, by a failure the journal notices or
// by the process dying, leaves the earlier entries, and this one whole or not
// at all; the next entry is kept whole after it.
TEST(Journal, ACutWriteLeavesAWholeEntryOrNone)
{
    using Step = Journal::Step;
    using Cut = Journal::Cut;
    const ParameterImage first = defaults();
    ParameterImage second = defaults();
    second.advance(5) = 40;
    for (Step at : {Step::Folder, Step::File, Step::Row, Step::HalfRow}) {
        for (Cut how : {Cut::Fail, Cut::Kill}) {
            for (bool fresh : {true, false}) {
                SCOPED_TRACE(testing::Message() << "step " << int(at) << " cut " << int(how) << " fresh " << fresh);
                QTemporaryDir dir;
                const QString folder = dir.filePath(QStringLiteral("journal"));
                std::vector<JournalEntry> before;
                if (!fresh) {
                    Journal earlier(folder);
                    before.push_back(*earlier.keep(entryAt(1), &first));
                }
                Journal journal(folder);
                journal.setStepHook([&](Step step) { return step == at ? how : Cut::None; });
                QString reason;
                EXPECT_FALSE(journal.keep(entryAt(2, QStringLiteral("program")), &second, &reason));
                EXPECT_FALSE(reason.isEmpty());

                // What a later run finds.
                Journal after(folder);
                EXPECT_EQ(after.entries(), before);
                if (how == Cut::Fail) {
                    EXPECT_EQ(ignFiles(folder).size(), before.size()) << "a noticed failure leaves no file behind";
                }
                const auto next = after.keep(entryAt(3), &second, &reason);
                ASSERT_TRUE(next) << reason.toStdString();
                before.push_back(*next);
                EXPECT_EQ(after.entries(), before);
                EXPECT_EQ(contents(after.filePath(*next)), parameterFileText(second));
            }
        }
    }
}

// Texts CSV must quote come back as they went in; rows the journal did not
// write, or that were cut off, are passed over.
TEST(Journal, ReadsItsOwnRowsAndSkipsOthers)
{
    QTemporaryDir dir;
    Journal journal(dir.path());
    JournalEntry odd = entryAt(1);
    odd.firmware = QStringLiteral("TCI \"07\", 3.03.2004\nline");
    odd.result = QStringLiteral("no reply");
    odd.counter.clear();
    const auto kept = journal.keep(odd, nullptr);
    ASSERT_TRUE(kept);
    ASSERT_EQ(journal.entries().size(), 1u);
    EXPECT_EQ(journal.entries()[0], *kept);
    EXPECT_EQ(journal.entries()[0].firmware, QStringLiteral("TCI \"07\", 3.03.2004 line"));

    const QByteArray good = "2026-12-09T07:31:09+01:00,read,ok,TCI07,3,x.ign,-1\n";
    const std::vector<QByteArray> garbled{
        "2026-12-09T07:31:09+01:00,read,ok,TCI07,3,x.ign\n",                   // a column short
        "2026-12-09T07:31:09+01:00,read,ok,TCI07,3,x.ign,-1,9\n",              // one too many
        "yesterday,read,ok,TCI07,3,x.ign,-1\n",                                // no time
        "2026-12-09T07:31:09+01:00,erase,ok,TCI07,3,x.ign,-1\n",               // no operation of ours
        "2026-12-09T07:31:09+01:00,read,ok,TCI07,3,../../etc/passwd.ign,-1\n", // out of the folder
        "2026-12-09T07:31:09+01:00,read,ok,TCI07,3,x.ign,many\n",              // no count
        "2026-12-09T07:31:09+01:00,read,ok,\"TCI07,3,x.ign,-1\n",              // a quote never closed
        QByteArray("\0\xff,\n", 4),
    };
    for (const QByteArray &row : garbled) {
        put(journal.indexPath(), "time,operation,result,firmware,counter,file,differing\n" + row + good);
        const auto entries = journal.entries();
        // An open quote swallows the good row too; it may, but never more.
        ASSERT_LE(entries.size(), 1u) << row.toStdString();
        if (!entries.empty()) {
            EXPECT_EQ(entries[0].fileName, QStringLiteral("x.ign"));
        }
    }
    put(journal.indexPath(), good + good.left(20));
    EXPECT_EQ(journal.entries().size(), 1u) << "a last row without its line end";
}

// A journal that cannot be written says why and leaves what is there alone.
TEST(Journal, AnUnwritableJournalSaysWhyAndChangesNothing)
{
    QTemporaryDir dir;
    const ParameterImage set = defaults();
    {
        const QString inTheWay = dir.filePath(QStringLiteral("file"));
        put(inTheWay, "mine");
        QString reason;
        EXPECT_FALSE(Journal(inTheWay).keep(entryAt(1), &set, &reason));
        EXPECT_TRUE(reason.contains(QStringLiteral("no folder"))) << reason.toStdString();
        EXPECT_EQ(contents(inTheWay), "mine");
        EXPECT_FALSE(Journal(inTheWay + QStringLiteral("/journal")).keep(entryAt(1), &set, &reason));
    }
    {
        const QString folder = dir.filePath(QStringLiteral("fifo"));
        ASSERT_TRUE(QDir().mkpath(folder));
        Journal journal(folder);
        ASSERT_EQ(::mkfifo(QFile::encodeName(journal.indexPath()).constData(), 0600), 0);
        QString reason;
        EXPECT_FALSE(journal.keep(entryAt(1), &set, &reason));
        EXPECT_TRUE(reason.contains(QStringLiteral("FIFO"))) << reason.toStdString();
        EXPECT_TRUE(journal.entries().empty());
        EXPECT_TRUE(ignFiles(folder).isEmpty());
    }
}
