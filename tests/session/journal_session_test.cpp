// The session's journal and "Read before programming" against a scripted
// unit, tick by tick: the frames on the line, the entries each operation
// leaves, and that neither a journal that cannot be written nor the read
// before programming changes anything else.
#include "session/unitsession.h"
#include "support/fake_transport.h"
#include "support/scripted_unit.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

struct Bench
{
    ScriptedUnit unit;
    FakeTransport *line = nullptr;
    std::unique_ptr<UnitSession> session;
    std::vector<Operation> ended; // succeeded or failed, in order
    std::vector<bool> succeeded;
    QStringList problems;
    std::vector<JournalEntry> kept;

    Bench()
    {
        auto transport = std::make_unique<FakeTransport>();
        line = transport.get();
        line->unit = &unit;
        session = std::make_unique<UnitSession>(std::move(transport));
        session->openPort();
        ParameterImage set;
        set.applyDefaults();
        std::copy_n(set.bytes.begin(), 50, unit.stored.begin());
        unit.stored[ParameterImage::kBaseAdv] = 7;
        unit.live.programmingCount = 41;
        QObject::connect(session.get(), &UnitSession::operationSucceeded, [this](Operation o) {
            ended.push_back(o);
            succeeded.push_back(true);
        });
        QObject::connect(session.get(), &UnitSession::operationFailed, [this](Operation o) {
            ended.push_back(o);
            succeeded.push_back(false);
        });
        QObject::connect(session.get(), &UnitSession::journalProblem, [this](const QString &why) { problems << why; });
        QObject::connect(session.get(), &UnitSession::journalKept, [this](const JournalEntry &e) { kept.push_back(e); });
    }

    // Ticks until the operations so far have ended (at most a generous bound).
    void runUntilEnded(std::size_t count)
    {
        for (int tick = 0; tick < 200 && ended.size() < count; ++tick)
            session->tick();
        ASSERT_EQ(ended.size(), count);
    }

    // The transfer commands sent since the last call, live requests left out.
    std::vector<int> commands()
    {
        std::vector<int> codes;
        for (const Frame &f : line->sent)
            if (f[0] != kCmdLiveData)
                codes.push_back(f[0]);
        line->sent.clear();
        return codes;
    }
};

ParameterImage screenSet()
{
    ParameterImage set;
    set.applyDefaults();
    set[ParameterImage::kBaseAdv] = 3;
    set.advance(2) = 33;
    return set;
}

} // namespace

// F9 with the item off sends what it always sent; with it on, a Read's frames
// come first, and its block stays off the screen, the file label and the
// history. A read that fails programs nothing.
TEST(ReadBeforeProgramming, FramesAndTheDocument)
{
    struct Case
    {
        bool on;
        bool unitSilentToReads; // the read before programming fails
        std::vector<int> frames;
        std::vector<Operation> ends;
        bool programmed;
        QStringList entries; // operation and result of each, oldest first
    };
    const std::vector<Case> cases{
        {false, false, {0x00, 0x01, 0x41}, {Operation::Program}, true, {"program ok"}},
        {true, false, {0x40, 0x41, 0x41, 0x00, 0x01, 0x41}, {Operation::Program}, true, {"read ok", "program ok"}},
        {true, true, {0x40, 0x40, 0x40, 0x40, 0x40}, {Operation::Read}, false, {"read no reply"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "on " << c.on << " failing " << c.unitSilentToReads);
        QTemporaryDir dir;
        Bench b;
        b.session->setJournalFolder(dir.path());
        for (int tick = 0; tick < 8; ++tick) // live data first: the counter is known
            b.session->tick();
        b.session->document().restore(screenSet(), QStringLiteral("/w/customer.ign"), QStringLiteral("/w/customer.ign"));
        b.session->document().setField(ParamField::BaseAdv, 4);
        const ParameterImage screen = b.session->image();
        const auto unitBefore = b.unit.stored;
        int readStarts = 0, shown = 0, changes = 0;
        QObject::connect(b.session.get(), &UnitSession::readStarted, [&] { ++readStarts; });
        QObject::connect(b.session.get(), &UnitSession::imageShown, [&] { ++shown; });
        QObject::connect(&b.session->document(), &SetDocument::changed, [&](const SetChange &ch) {
            changes += ch.imageChanged() || ch.fileNameChanged;
        });
        if (c.unitSilentToReads)
            b.unit.connected = false;
        b.commands();
        int blocksBeforeKept = -1; // Program blocks sent when the read's entry was kept
        QObject::connect(b.session.get(), &UnitSession::journalKept, [&](const JournalEntry &e) {
            if (e.operation == QLatin1String("read"))
                blocksBeforeKept = static_cast<int>(std::count_if(b.line->sent.begin(), b.line->sent.end(),
                                                                  [](const Frame &f) { return f[0] == kCmdProgramBlock1; }));
        });

        b.session->setReadBeforeProgramming(c.on);
        b.session->startProgram();
        b.runUntilEnded(1);
        EXPECT_EQ(b.commands(), c.frames);
        EXPECT_EQ(b.ended, c.ends);
        EXPECT_EQ(b.succeeded, std::vector<bool>{c.programmed});
        EXPECT_EQ(readStarts, 0);
        EXPECT_EQ(b.session->image(), screen);
        EXPECT_EQ(b.session->document().fileName(), QStringLiteral("/w/customer.ign"));
        EXPECT_EQ(changes, 0);
        ASSERT_EQ(b.session->document().undoAction(), SetAction::Edit) << "the history's last step is the edit";
        EXPECT_EQ(c.programmed, !std::equal(unitBefore.begin(), unitBefore.end(), b.unit.stored.begin()));
        if (c.programmed) {
            EXPECT_EQ(shown, 1) << "only the program's identity is shown";
        }
        if (c.on && c.programmed) {
            EXPECT_EQ(blocksBeforeKept, 0) << "kept before the unit's set is replaced";
        }

        // The entries: the set the unit held, then the set sent.
        Journal journal(dir.path());
        const auto entries = journal.entries();
        EXPECT_EQ(entries, b.kept);
        QStringList ends;
        for (const JournalEntry &e : entries)
            ends << e.operation + ' ' + e.result;
        EXPECT_EQ(ends, c.entries);
        if (c.on && c.programmed) {
            ParameterImage heldSet = screen;
            std::copy(unitBefore.begin(), unitBefore.end(), heldSet.bytes.begin());
            QFile held(journal.filePath(entries[0]));
            ASSERT_TRUE(held.open(QIODevice::ReadOnly));
            EXPECT_EQ(held.readAll(), parameterFileText(heldSet));
            EXPECT_EQ(entries[0].counter, QStringLiteral("41"));
            EXPECT_EQ(entries[0].firmware, QStringLiteral("TCI07 3. 3.2004 09:05"));
            EXPECT_EQ(entries[1].differing, 2) << "base advance and advance point 3";
        }
        if (!c.programmed) {
            EXPECT_TRUE(entries[0].fileName.isEmpty()) << "a failed read has no set";
        }
    }
}

// A journal that cannot be written changes no operation: the same frames and
// ends as with none, and the reason is told once per run of failures.
TEST(SessionJournal, AnUnwritableJournalFailsNoOperationAndSaysSoOnce)
{
    QTemporaryDir dir;
    const QString inTheWay = dir.filePath(QStringLiteral("journal"));
    {
        QFile file(inTheWay);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::vector<std::vector<int>> frames[2];
    std::vector<bool> results[2];
    for (int withJournal : {0, 1}) {
        Bench b;
        if (withJournal)
            b.session->setJournalFolder(inTheWay);
        b.session->document().restore(screenSet(), QString(), QString());
        for (auto start : {&UnitSession::startProgram, &UnitSession::startRead, &UnitSession::startVerify}) {
            b.commands();
            (b.session.get()->*start)();
            b.runUntilEnded(b.ended.size() + 1);
            frames[withJournal].push_back(b.commands());
        }
        results[withJournal] = b.succeeded;
        if (withJournal) {
            EXPECT_EQ(b.problems.size(), 1) << "told once for three failures";
            EXPECT_TRUE(b.problems.value(0).contains(QStringLiteral("The journal was not kept")));
            // Writable again: kept, and the next failure is told again.
            ASSERT_TRUE(QFile::remove(inTheWay));
            b.session->startRead();
            b.runUntilEnded(4);
            EXPECT_EQ(b.kept.size(), 1u);
            b.session->setJournalFolder(dir.filePath(QStringLiteral("journal/journal.csv/below")));
            b.session->language().setIndex(3);
            b.session->startRead();
            b.runUntilEnded(5);
            ASSERT_EQ(b.problems.size(), 2);
            EXPECT_TRUE(b.problems[1].startsWith(QStringLiteral("Deník nebyl zapsán"))) << b.problems[1].toStdString();
        }
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[1], (std::vector<bool>{true, true, true}));
}

// Each end leaves its entry: a read's set, a failed read's row without a
// file, a verify's result word.
TEST(SessionJournal, EachOperationLeavesItsEntry)
{
    QTemporaryDir dir;
    Bench b;
    b.session->setJournalFolder(dir.path());
    b.session->startRead();
    b.runUntilEnded(1);
    b.unit.storedCorruptAt = 4;
    b.session->startVerify();
    b.runUntilEnded(2);
    b.unit.connected = false;
    b.session->startRead();
    b.runUntilEnded(3);

    const auto entries = Journal(dir.path()).entries();
    QStringList ends;
    for (const JournalEntry &e : entries)
        ends << e.operation + ' ' + e.result + ' ' + e.fileName;
    const QString read = entries.empty() ? QString() : entries[0].fileName;
    EXPECT_FALSE(read.isEmpty());
    EXPECT_EQ(ends, (QStringList{"read ok " + read, "verify differs " + read, "read no reply "}))
        << "the verify compared the set read, which the screen holds";
}
