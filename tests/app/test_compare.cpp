// Tools -> Compare with file… and Show differences: the comparison's table,
// the chart's second curve, and the unit's block after a failed verify.
#include "unit_window_fixture.h"

#include "app/chartwindow.h"
#include "app/comparewindow.h"
#include "params/curvegeometry.h"
#include "params/parameterfile.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

class CompareTest : public UnitWindowTest
{
protected:
    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    QTableWidget *table() { return window->comparison() ? window->comparison()->table() : nullptr; }

    struct Row
    {
        QString name, screen, other, difference;
        bool marked; // as the user sees it: the row's background in a grab
    };
    // Every row of the table with its texts, and whether its cells show the
    // differing rows' colour.
    std::vector<Row> rows()
    {
        QTableWidget *t = table();
        std::vector<Row> shown;
        if (!t)
            return shown;
        t->resize(t->width(), 2000); // every row on screen, to be grabbed
        QCoreApplication::processEvents(); // the delayed layout of rows refilled
        const QImage grab = t->viewport()->grab().toImage();
        for (int r = 0; r < t->rowCount(); ++r) {
            // The third column's cell: the first may be lit by the pointer resting on it.
            const QRect cell = t->visualItemRect(t->item(r, 2));
            const QColor pixel = grab.pixelColor(cell.right() - 2, cell.top() + 2);
            shown.push_back({t->item(r, 0)->text(), t->item(r, 1)->text(), t->item(r, 2)->text(),
                             t->item(r, 3)->text(), pixel.rgb() == QColor::fromRgb(CompareWindow::kDifferingRow).rgb()});
        }
        return shown;
    }
    const Row *find(const std::vector<Row> &shown, const QString &name)
    {
        for (const Row &row : shown)
            if (row.name == name)
                return &row;
        return nullptr;
    }

    // The pixels of the compared curve's colour along its segments in a grab of the chart.
    int dashedPixels(const ParameterImage &other)
    {
        CurveChart *curve = window->chart()->chart();
        const QImage grab = curve->grab().toImage();
        const CurveGeometry geometry(curve->image(), curve->plotRect(curve->size()));
        int count = 0;
        for (int k = 0; k + 1 < ParameterImage::kPoints; ++k) {
            const QPointF a = geometry.toPixel(CurveGeometry::curvePoint(other, k));
            const QPointF b = geometry.toPixel(CurveGeometry::curvePoint(other, k + 1));
            for (int step = 1; step < 20; ++step) {
                const QPoint p = (a + (b - a) * step / 20.0).toPoint();
                const QColor c = grab.pixelColor(p);
                if (c.green() > 100 && c.red() < 80 && std::abs(c.green() - c.blue()) < 40)
                    ++count;
            }
        }
        return count;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CompareTest, AFileIsComparedFieldByFieldAndDrawnDashedOnTheChartUntilClosed)
{
    start();
    action("MenuCurveChart")->trigger();
    ParameterImage other = window->session().image();
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        other.advance(k) = static_cast<std::uint8_t>(other.advance(k) + 8);
    other[ParameterImage::kLimiter] = 90;
    other[ParameterImage::kRpm2] = 0;
    const QString path = dir.filePath("customer.ign");
    ASSERT_TRUE(saveParameterFile(path, other));
    window->setFileChooser([path](QFileDialog *) { return path; });
    action("MenuCompare")->trigger();
    ASSERT_NE(table(), nullptr);
    EXPECT_TRUE(window->comparison()->isVisible());
    EXPECT_FALSE(window->comparison()->isModal());
    EXPECT_EQ(table()->horizontalHeaderItem(2)->text(), "customer.ign");

    std::vector<Row> shown = rows();
    ASSERT_EQ(shown.size(), 26u) << "one row per field";
    EXPECT_EQ(shown[0].name, "RPM point 1");
    EXPECT_EQ(shown[10].name, "Advance point 1");
    const Row expected[] = {
        {"RPM point 2", "2000 rpm", "2000 rpm", "", false},
        {"Advance point 3", "20 deg", "28 deg", "+8 deg", true},
        {"TOP 1,4", "3", "3", "", false},
        {"Limiter", "7000 rpm", "9000 rpm", "+2000 rpm", true},
        {"Tachometer 2x", "1", "0", "-1", true},
        {"Blocking enable", "1", "1", "", false},
    };
    for (const Row &want : expected) {
        const Row *row = find(shown, want.name);
        ASSERT_NE(row, nullptr) << want.name.toStdString();
        EXPECT_EQ(row->screen, want.screen) << want.name.toStdString();
        EXPECT_EQ(row->other, want.other) << want.name.toStdString();
        EXPECT_EQ(row->difference, want.difference) << want.name.toStdString();
        EXPECT_EQ(row->marked, want.marked) << want.name.toStdString();
    }

    // The table follows the screen: a point edited to the file's value is no longer marked.
    auto *edit = window->findChild<QLineEdit *>("Edit52");
    edit->setText("28");
    window->EditExit(edit);
    shown = rows();
    ASSERT_NE(find(shown, "Advance point 3"), nullptr);
    EXPECT_FALSE(find(shown, "Advance point 3")->marked);
    EXPECT_EQ(find(shown, "Advance point 3")->screen, "28 deg");

    // The chart draws the file's curve dashed; closing the comparison takes it away.
    EXPECT_GT(dashedPixels(other), 20);
    window->comparison()->close();
    EXPECT_EQ(window->comparison(), nullptr);
    EXPECT_EQ(dashedPixels(other), 0);
}

TEST_F(CompareTest, ShowDifferencesListsTheFieldsTheUnitHoldsOtherwiseAfterAVerifyError)
{
    struct Case
    {
        const char *what;
        int corruptAt;  // payload byte the unit flips in its answers, -1 none
        bool connected; // false: the unit stops answering
        bool enabled;   // Show differences after the verify
        std::vector<QStringList> rows;
    };
    const Case cases[] = {
        {"a differing advance", ParameterImage::kAdvance + 2, true, true, {{"Advance point 3", "20 deg", "21 deg", "+1 deg"}}},
        {"a differing limiter", ParameterImage::kLimiter, true, true, {{"Limiter", "7000 rpm", "7100 rpm", "+100 rpm"}}},
        {"no answer", -1, false, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        start();
        window->MenuProgramClick();
        ASSERT_TRUE(tickUntilStatus("Programing: OK", 40));
        EXPECT_FALSE(action("MenuShowDifferences")->isEnabled());
        unit.storedCorruptAt = c.corruptAt;
        unit.connected = c.connected;
        window->MenuVerifyClick();
        ASSERT_TRUE(tickUntilStatus("Verify error!", 80));
        EXPECT_EQ(action("MenuShowDifferences")->isEnabled(), c.enabled);
        if (c.enabled) {
            action("MenuShowDifferences")->trigger();
            ASSERT_NE(table(), nullptr);
            EXPECT_EQ(table()->horizontalHeaderItem(2)->text(), "Unit");
            const std::vector<Row> shown = rows();
            ASSERT_EQ(shown.size(), c.rows.size());
            for (std::size_t i = 0; i < shown.size(); ++i) {
                EXPECT_EQ(QStringList({shown[i].name, shown[i].screen, shown[i].other, shown[i].difference}), c.rows[i]);
                EXPECT_TRUE(shown[i].marked);
            }
            EXPECT_EQ(label("LabelHlaseni"), "Verify error!") << "the status stays as it was";
            // The next operation takes the unit's block away.
            unit.storedCorruptAt = -1;
            window->MenuVerifyClick();
            EXPECT_FALSE(action("MenuShowDifferences")->isEnabled());
        }
        TearDown();
        unit = ScriptedUnit();
    }
}

TEST_F(CompareTest, TheTableSpeaksTheWindowsLanguage)
{
    start();
    ParameterImage other = window->session().image();
    other.advance(2) = static_cast<std::uint8_t>(other.advance(2) + 8);
    other[ParameterImage::kLimiter] = 90;
    // A long name heads the file's column; the difference beside it stays in sight.
    const QString path = dir.filePath("2026-12-09T07-31-05_read_of_the_customers_bike.ign");
    ASSERT_TRUE(saveParameterFile(path, other));
    window->setFileChooser([path](QFileDialog *) { return path; });
    action("MenuCompare")->trigger();
    ASSERT_NE(table(), nullptr);

    const struct
    {
        const char *menu;
        QStringList header;
        std::vector<QStringList> rows; // the first two rows and the differing ones, in table order
    } languages[] = {
        {"MenuGerman",
         {"Feld", "Bildschirm", "2026-12-09T07-31-05_read_of_the_customers_bike.ign", "Unterschied"},
         {{"Drehzahl Punkt 1", "1000 U/min", "1000 U/min", ""},
          {"Drehzahl Punkt 2", "2000 U/min", "2000 U/min", ""},
          {"Vorzündung Punkt 3", "20°", "28°", "+8°"},
          {"Begrenzer", "7000 U/min", "9000 U/min", "+2000 U/min"}}},
        {"MenuCzech",
         {"Položka", "Obrazovka", "2026-12-09T07-31-05_read_of_the_customers_bike.ign", "Rozdíl"},
         {{"Otáčky bod 1", "1000 ot/min", "1000 ot/min", ""},
          {"Otáčky bod 2", "2000 ot/min", "2000 ot/min", ""},
          {"Předstih bod 3", "20°", "28°", "+8°"},
          {"Omezovač", "7000 ot/min", "9000 ot/min", "+2000 ot/min"}}},
        {"MenuEnglish",
         {"Field", "Screen", "2026-12-09T07-31-05_read_of_the_customers_bike.ign", "Difference"},
         {{"RPM point 1", "1000 rpm", "1000 rpm", ""},
          {"RPM point 2", "2000 rpm", "2000 rpm", ""},
          {"Advance point 3", "20 deg", "28 deg", "+8 deg"},
          {"Limiter", "7000 rpm", "9000 rpm", "+2000 rpm"}}},
    };
    for (const auto &l : languages) {
        SCOPED_TRACE(l.menu);
        action(l.menu)->trigger();
        QStringList header;
        for (int c = 0; c < table()->columnCount(); ++c)
            header << table()->horizontalHeaderItem(c)->text();
        EXPECT_EQ(header.join(" | ").toStdString(), l.header.join(" | ").toStdString());
        QCoreApplication::processEvents();
        EXPECT_LE(table()->columnViewportPosition(3) + table()->horizontalHeader()->sectionSizeHint(3),
                  table()->viewport()->width());
        QStringList seen, expected;
        for (const Row &row : rows()) {
            if (seen.size() < 2 || row.marked)
                seen << QStringList{row.name, row.screen, row.other, row.difference}.join(" | ");
        }
        for (const QStringList &row : l.rows)
            expected << row.join(" | ");
        EXPECT_EQ(seen.join("\n").toStdString(), expected.join("\n").toStdString());
    }
}
