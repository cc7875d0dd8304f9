#include "app/comparewindow.h"

#include "i18n/extracaptions.h"
#include "params/fields.h"
#include "params/setdiff.h"

#include <QHeaderView>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, Screen, Other, Difference, kColumns };

} // namespace

CompareWindow::CompareWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("CompareWindow"));
    rows = new QTableWidget(0, kColumns, this);
    rows->setObjectName(QStringLiteral("CompareTable"));
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionMode(QAbstractItemView::NoSelection);
    rows->verticalHeader()->hide();
    rows->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows->horizontalHeader()->setStretchLastSection(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rows);
    captions = &compareTexts(0);
    resize(460, 640);
}

void CompareWindow::setTexts(const CompareTexts &texts)
{
    captions = &texts;
    fill();
}

void CompareWindow::compare(const ParameterImage &screen, const ParameterImage &other, const QString &name,
                            bool onlyDifferences)
{
    screenSet = screen;
    otherSet = other;
    fileName = name;
    differencesOnly = onlyDifferences;
    fill();
}

void CompareWindow::showScreen(const ParameterImage &screen)
{
    if (screen == screenSet)
        return;
    screenSet = screen;
    fill();
}

QString CompareWindow::otherName() const
{
    return fileName.isEmpty() ? extraText(captions->unit) : fileName;
}

void CompareWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}

void CompareWindow::fill()
{
    const bool ofUnit = fileName.isEmpty();
    setWindowTitle(ofUnit ? extraText(captions->differencesTitle)
                          : QStringLiteral("%1 – %2").arg(extraText(captions->title), fileName));
    rows->setHorizontalHeaderLabels({extraText(captions->field), extraText(captions->screen), otherName(),
                                     extraText(captions->difference)});
    if (!otherSet) {
        rows->setRowCount(0);
        return;
    }
    QSet<QString> differing;
    for (const SetDifference &d : setDifferences(screenSet, *otherSet))
        differing.insert(d.name);
    const std::vector<SetField> mine = setFields(screenSet);
    const std::vector<SetField> theirs = setFields(*otherSet);
    rows->setRowCount(0);
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const bool differs = differing.contains(mine[i].name);
        if (differencesOnly && !differs)
            continue;
        const QString unit = QLatin1String(fieldTable()[i].unit);
        const auto withUnit = [&](int value) {
            return unit.isEmpty() ? QString::number(value) : QStringLiteral("%1 %2").arg(value).arg(unit);
        };
        const int delta = theirs[i].value - mine[i].value;
        const QStringList cells{mine[i].name, withUnit(mine[i].value), withUnit(theirs[i].value),
                                differs ? (delta > 0 ? QStringLiteral("+") : QString()) + withUnit(delta)
                                        : QString()};
        const int row = rows->rowCount();
        rows->insertRow(row);
        for (int column = 0; column < kColumns; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column != Name)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (differs)
                item->setBackground(QColor::fromRgb(kDifferingRow));
            rows->setItem(row, column, item);
        }
    }
}
