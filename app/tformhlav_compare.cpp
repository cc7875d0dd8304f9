// Comparing sets: Tools -> Compare with file… puts a parameter file beside the
// screen's set, Show differences the unit's block after a verify that failed.
// Both open the comparison's table and draw the other set on the chart.
#include "app/tformhlav.h"

#include "app/chartwindow.h"
#include "app/comparewindow.h"
#include "app/handlerguard.h"
#include "i18n/extracaptions.h"
#include "i18n/fieldnames.h"
#include "params/parameterfile.h"
#include "params/setdiff.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

void TFormHlav::bindComparison()
{
    connect(ui->MenuCompare, &QAction::triggered, this, guarded([this] { MenuCompareClick(); }));
    connect(ui->MenuShowDifferences, &QAction::triggered, this, guarded([this] { MenuShowDifferencesClick(); }));
    // Show differences is there while the unit's differing block is: from a
    // failed verify that saw one until the next operation starts.
    connect(&unit, &UnitSession::operationStarted, this, [this] { ui->MenuShowDifferences->setEnabled(false); });
    connect(&unit, &UnitSession::operationFailed, this, [this] {
        ui->MenuShowDifferences->setEnabled(unit.engine().lastFailure() == TransferFailure::Differed);
    });
    connect(&unit.document(), &SetDocument::changed, this, [this] {
        if (compareWindow)
            compareWindow->showScreen(unit.image());
    });
}

CompareWindow *TFormHlav::ensureCompareWindow()
{
    if (compareWindow)
        return compareWindow;
    compareWindow = new CompareWindow(this);
    compareWindow->setTexts(compareTexts(unit.language()), fieldNameTexts(unit.language()));
    shareUndoKeys(compareWindow);
    connect(compareWindow, &CompareWindow::closed, this, [this] { endComparison(); });
    return compareWindow;
}

void TFormHlav::MenuCompareClick()
{
    const QString path = chooseFile(OpenDialog1().get());
    if (!path.isEmpty())
        compareWithFile(path);
}

void TFormHlav::compareWithFile(const QString &path)
{
    // Read as Open reads it, and taken as the screen would take it: the
    // file's fields into the set, bounded by the controls, the curve normalised.
    ParameterImage file = unit.image();
    QString reason;
    switch (openParameterFile(path, file, &reason)) {
    case OpenResult::Opened:
        startComparison(withFileFields(unit.image(), file), QFileInfo(path).fileName(), false);
        break;
    case OpenResult::CannotOpen:
        showFileError(path, reason);
        break;
    case OpenResult::WrongVersion:
        showIgnVersionBox();
        break;
    }
}

void TFormHlav::MenuShowDifferencesClick()
{
    if (unit.engine().lastFailure() != TransferFailure::Differed)
        return;
    // The unit's block in place of the set's; the spare bytes are the tool's own.
    ParameterImage answered = unit.image();
    const auto &block = unit.engine().differingBlock();
    std::copy(block.begin(), block.end(), answered.bytes.begin());
    startComparison(answered, QString(), true);
}

void TFormHlav::startComparison(const ParameterImage &other, const QString &name, bool onlyDifferences)
{
    CompareWindow *window = ensureCompareWindow();
    window->compare(unit.image(), other, name, onlyDifferences);
    showComparisonOnChart();
    window->show();
    window->raise();
    window->activateWindow();
}

void TFormHlav::endComparison()
{
    if (!compareWindow)
        return;
    // Made afresh for the next comparison.
    compareWindow->deleteLater();
    compareWindow = nullptr;
    showComparisonOnChart();
}

void TFormHlav::showComparisonOnChart()
{
    if (!chartWindow)
        return;
    if (compareWindow && compareWindow->other())
        chartWindow->chart()->setComparison(*compareWindow->other(), compareWindow->otherName());
    else
        chartWindow->chart()->clearComparison();
}
