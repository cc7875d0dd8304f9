// Tools -> Journal… and Read before programming, on the window with a
// scripted unit at the other end of a port in memory.
#include "unit_window_fixture.h"

#include "app/comparewindow.h"
#include "app/journalwindow.h"
#include "session/journal.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace {

class JournalTest : public UnitWindowTest
{
protected:
    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    JournalWindow *journal() { return window->journal(); }
    QPushButton *button(const char *name) { return journal()->findChild<QPushButton *>(name); }
    QString status() { return window->findChild<QStatusBar *>("StatusBar1")->currentMessage(); }
    // The list as it is shown: each row's cells joined by " | ".
    QStringList listed()
    {
        QStringList rows;
        const QAbstractItemModel *model = journal()->table()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            rows << cells.join(" | ");
        }
        return rows;
    }
    void clickRow(int row)
    {
        QTableView *view = journal()->table();
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    bool tickUntil(const std::function<bool()> &done, int limit)
    {
        for (int i = 0; i < limit && !done(); ++i)
            window->Timer1Timer();
        return done();
    }
    // Keeps an entry the way the session does.
    void keep(const char *time, const char *operation, const char *result, const char *firmware,
              const ParameterImage *set)
    {
        JournalEntry entry;
        entry.time = QDateTime::fromString(QLatin1String(time), Qt::ISODate);
        entry.operation = QLatin1String(operation);
        entry.result = QLatin1String(result);
        entry.firmware = QLatin1String(firmware);
        entry.counter = QStringLiteral("12");
        QString reason;
        ASSERT_TRUE(Journal(Journal::defaultFolder()).keep(entry, set, &reason)) << reason.toStdString();
    }
};

} // namespace

TEST_F(JournalTest, EntriesAreListedNewestFirstFilteredOpenedAndCompared)
{
    start();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const ParameterImage screen = window->session().image();
    ParameterImage limiter = screen;
    limiter[ParameterImage::kLimiter] = 90;
    ParameterImage advanced = screen;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        advanced.advance(k) = static_cast<std::uint8_t>(advanced.advance(k) + 3);
    keep("2026-12-01T10:00:00", "read", "ok", "TCI07 03.03.04 09:05", &limiter);
    keep("2026-12-08T15:30:00", "program", "ok", "TCI09 01.02.05 11:00", &advanced);
    keep("2026-12-09T08:00:00", "read", "no reply", "", nullptr);
    QUrl shownFolder;
    window->setDocumentOpener([&shownFolder](const QUrl &url) {
        shownFolder = url;
        return true;
    });

    action("MenuJournal")->trigger();
    ASSERT_NE(journal(), nullptr);
    EXPECT_TRUE(journal()->isVisible());
    EXPECT_FALSE(journal()->isModal());
    const QStringList all{"2026-12-09 08:00:00 | read | no reply |  | 12 | ",
                          "2026-12-08 15:30:00 | program | OK | TCI09 01.02.05 11:00 | 12 | 11",
                          "2026-12-01 10:00:00 | read | OK | TCI07 03.03.04 09:05 | 12 | "};
    EXPECT_EQ(listed().join("\n").toStdString(), all.join("\n").toStdString());

    const struct
    {
        const char *typed;
        QStringList rows;
    } filters[] = {
        {"tci09", {all[1]}}, {"2026-12-01", {all[2]}}, {"read", {all[0], all[2]}}, {"", all},
    };
    for (const auto &f : filters) {
        journal()->filter()->clear();
        QTest::keyClicks(journal()->filter(), f.typed);
        EXPECT_EQ(listed().join("\n").toStdString(), f.rows.join("\n").toStdString()) << f.typed;
    }

    // Open and Compare want an entry with a set.
    const auto enabled = [&] { return std::pair(button("JournalOpen")->isEnabled(), button("JournalCompare")->isEnabled()); };
    EXPECT_EQ(enabled(), std::pair(false, false)) << "nothing selected";
    clickRow(0);
    EXPECT_EQ(enabled(), std::pair(false, false)) << "a read that got no reply kept no set";
    clickRow(2);
    EXPECT_EQ(enabled(), std::pair(true, true));

    // Open puts the entry's set on the screen as one step; Ctrl+Z, pressed
    // where the Open was made, takes it back.
    QTest::mouseClick(button("JournalOpen"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("EditOmez2")->text(), "9,000");
    EXPECT_EQ(window->session().image()[ParameterImage::kLimiter], 90);
    journal()->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == journal(); }));
    QTest::keyClick(journal(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control<QLineEdit>("EditOmez2")->text(), "7,000");
    EXPECT_EQ(window->session().image(), screen);

    // Compare puts the program's set beside the screen's: the ten advances differ.
    clickRow(1);
    QTest::mouseClick(button("JournalCompare"), Qt::LeftButton);
    ASSERT_NE(window->comparison(), nullptr);
    QTableWidget *table = window->comparison()->table();
    int differing = 0;
    for (int r = 0; r < table->rowCount(); ++r) {
        if (!table->item(r, 3)->text().isEmpty()) {
            ++differing;
            EXPECT_EQ(table->item(r, 3)->text(), "+3 deg") << table->item(r, 0)->text().toStdString();
        }
    }
    EXPECT_EQ(differing, 10);

    QTest::mouseClick(button("JournalShowFolder"), Qt::LeftButton);
    EXPECT_EQ(shownFolder, QUrl::fromLocalFile(Journal::defaultFolder()));
}

TEST_F(JournalTest, ReadsAndProgramsAreListedAsTheyAreKeptAndAJournalThatCannotBeWrittenSaysSo)
{
    start();
    // The unit holds the set on screen, so that the read's verify passes.
    const ParameterImage set = window->session().image();
    std::copy_n(set.bytes.begin(), unit.stored.size(), unit.stored.begin());
    action("MenuJournal")->trigger();
    ASSERT_TRUE(listed().isEmpty());
    EXPECT_FALSE(button("JournalShowFolder")->isEnabled()) << "no folder before the first entry";
    window->MenuReadClick();
    ASSERT_TRUE(tickUntil([&] { return listed().size() == 1; }, 80));
    EXPECT_TRUE(listed().first().contains(" | read | OK | ")) << listed().first().toStdString();
    EXPECT_TRUE(button("JournalShowFolder")->isEnabled());

    // With Read before programming ticked, F9 keeps the unit's set before programming.
    action("MenuReadBeforeProgramming")->trigger();
    window->MenuProgramClick();
    ASSERT_TRUE(tickUntil([&] { return listed().size() == 3; }, 120)) << listed().join("\n").toStdString();
    EXPECT_TRUE(listed()[0].contains(" | program | OK | ")) << listed()[0].toStdString();
    EXPECT_TRUE(listed()[1].contains(" | read | OK | ")) << listed()[1].toStdString();

    // A file where the journal's folder belongs.
    TearDown();
    QDir(Journal::defaultFolder()).removeRecursively();
    QFile blocker(Journal::defaultFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SetUp();
    start();
    window->MenuReadClick();
    ASSERT_TRUE(tickUntil([&] { return !status().isEmpty(); }, 80));
    EXPECT_TRUE(status().startsWith("The journal was not kept: ")) << status().toStdString();
}

TEST_F(JournalTest, ReadBeforeProgrammingAndTheJournalsPlaceAreKeptAcrossRuns)
{
    start();
    QAction *item = action("MenuReadBeforeProgramming");
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked()) << "off by default";
    EXPECT_FALSE(window->session().readBeforeProgramming());
    item->trigger();
    EXPECT_TRUE(window->session().readBeforeProgramming());
    action("MenuJournal")->trigger();
    journal()->setGeometry(40, 50, 600, 400);
    window->close();
    QFile ini(settingspaths::settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("\nMenuReadBeforeProgramming->Checked=1\n")) << text.constData();
    EXPECT_TRUE(text.contains("[JOURNAL]\nLeft=40\nTop=50\nWidth=600\nHeight=400\n")) << text.constData();

    window = std::make_unique<TFormHlav>(std::make_unique<FakeTransport>());
    window->FormCreate();
    EXPECT_TRUE(action("MenuReadBeforeProgramming")->isChecked());
    EXPECT_TRUE(window->session().readBeforeProgramming());
    window->MenuJournalClick();
    EXPECT_EQ(journal()->geometry(), QRect(40, 50, 600, 400));
}
