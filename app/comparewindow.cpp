#include "app/comparewindow.h"

#include "i18n/extracaptions.h"
#include "i18n/fieldnames.h"
#include "params/fields.h"

#include <QHeaderView>
#include <QLayout>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, Screen, Other, Difference, kColumns };

// A field's name in the table's language: the curve's points by number, the
// others by their own names.
QString shownName(const FieldNameTexts &names, const FieldSpec &spec)
{
    switch (spec.field) {
    case ParamField::Top14:
        return extraText(names.top14);
    case ParamField::Top23:
        return extraText(names.top23);
    case ParamField::BaseAdv:
        return extraText(names.baseAdvance);
    case ParamField::Limiter:
        return extraText(names.limiter);
    case ParamField::Rpm2:
        return extraText(names.tachometer2x);
    case ParamField::BlokEnable:
        return extraText(names.blockingEnable);
    case ParamField::FirstRpm:
    case ParamField::FirstAdvance:
        break;
    }
    const int index = fieldIndex(spec.field);
    const int advance = fieldIndex(ParamField::FirstAdvance);
    return index < advance ? extraText(names.rpmPoint).arg(index + 1)
                           : extraText(names.advancePoint).arg(index - advance + 1);
}

// A value with its unit as the language writes it; a difference is signed.
QString shownValue(const FieldNameTexts &names, const FieldSpec &spec, int value, bool signedValue)
{
    const QString number = (signedValue && value > 0 ? QStringLiteral("+") : QString()) + QString::number(value);
    const QLatin1String unit(spec.unit);
    if (unit == QLatin1String("rpm"))
        return extraText(names.rpmValue).arg(number);
    if (unit == QLatin1String("deg"))
        return extraText(names.degreeValue).arg(number);
    return number;
}

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
    captions = &compareTexts(Language());
    names = &fieldNameTexts(Language());
    resize(460, 640);
}

void CompareWindow::setTexts(const CompareTexts &texts, const FieldNameTexts &fieldNames)
{
    captions = &texts;
    names = &fieldNames;
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
    const auto &fields = fieldTable();
    rows->setRowCount(0);
    for (const FieldSpec &spec : fields) {
        const int mine = fieldValue(screenSet, spec);
        const int theirs = fieldValue(*otherSet, spec);
        const bool differs = mine != theirs;
        if (differencesOnly && !differs)
            continue;
        const QStringList cells{shownName(*names, spec), shownValue(*names, spec, mine, false),
                                shownValue(*names, spec, theirs, false),
                                differs ? shownValue(*names, spec, theirs - mine, true) : QString()};
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
    fitColumns();
}

void CompareWindow::fitColumns()
{
    // A long file name heads the other set's column; the window grows so that
    // the difference beside it is not pushed out of sight. It never shrinks
    // under the user's own size.
    QHeaderView *header = rows->horizontalHeader();
    header->setStretchLastSection(false);
    rows->resizeColumnsToContents();
    int needed = 2 * rows->frameWidth() + rows->verticalScrollBar()->sizeHint().width() + header->length();
    header->setStretchLastSection(true);
    const QMargins margins = layout()->contentsMargins();
    needed += margins.left() + margins.right();
    if (width() < needed)
        resize(needed, height());
}
