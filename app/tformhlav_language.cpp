// The language switch: check marks, the session's language and message
// table, and the caption set written onto the window in one pass.
#include "app/tformhlav.h"

#include "i18n/captiontables.h"
#include "i18n/extracaptions.h"
#include "i18n/fieldnames.h"
#include "app/chartwindow.h"
#include "app/comparewindow.h"
#include "app/journalwindow.h"
#include "i18n/journaltexts.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>

void TFormHlav::applyLanguage()
{
    if (unit.language().inMenu()) {
        selectLanguage(unit.language().index());
    } else {
        // Index 2 applies no set: design texts and an empty message table.
        // No language of the menu is the current one, so none carries the mark.
        for (QAction *item : {ui->MenuEnglish, ui->MenuCzech, ui->MenuGerman})
            item->setChecked(false);
    }
}

void TFormHlav::selectLanguage(std::uint8_t index)
{
    ui->MenuEnglish->setChecked(index == language::kEnglish);
    ui->MenuCzech->setChecked(index == language::kCzech);
    ui->MenuGerman->setChecked(index == language::kGerman);
    unit.language().select(index);
    applyCaptionSet(index);
    applyExtraCaptions(index);
}

void TFormHlav::applyCaptionSet(std::uint8_t index)
{
    for (const CaptionAssignment &row : captionSet(Language(index))) {
        const QString text = captionText(row);
        const QString name = QLatin1String(row.objectName);
        switch (row.target) {
        case CaptionTarget::Window:
            // Only the title is ever set on the window itself.
            setWindowTitle(text);
            break;
        case CaptionTarget::MenuItem:
            if (auto *menu = ui->MainMenu1->findChild<QMenu *>(name)) {
                if (row.property == CaptionProperty::Caption) {
                    menu->setTitle(text);
                } else {
                    // A menu title shows no tooltip; its long part reaches the status bar.
                    menu->setStatusTip(hintParts(text).second);
                    menu->menuAction()->setStatusTip(menu->statusTip());
                }
            } else if (auto *action = findChild<QAction *>(name)) {
                if (row.property == CaptionProperty::Caption)
                    action->setText(text);
                else
                    action->setStatusTip(hintParts(text).second);
            }
            break;
        case CaptionTarget::Control:
            if (QWidget *control = ui->ClientArea->findChild<QWidget *>(name)) {
                if (row.property == CaptionProperty::Hint) {
                    setHint(control, text, control->property("showsTooltip").toBool());
                } else if (auto *label = qobject_cast<QLabel *>(control)) {
                    setLabelText(label, text);
                } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
                    button->setText(text);
                }
            }
            break;
        }
    }
}

void TFormHlav::applyExtraCaptions(std::uint8_t index)
{
    // Items added to the menus after the caption sets were fixed; each is an
    // action of the window.
    for (const ExtraCaption &row : extraCaptions(Language(index))) {
        if (auto *action = findChild<QAction *>(QLatin1String(row.objectName))) {
            action->setText(extraText(row.caption));
            action->setStatusTip(hintParts(extraText(row.hint)).second);
        }
    }
    if (chartWindow)
        chartWindow->setTexts(chartTexts(Language(index)));
    if (compareWindow) {
        compareWindow->setTexts(compareTexts(Language(index)), fieldNameTexts(Language(index)));
        showComparisonOnChart(); // the unit's name in the legend
    }
    if (journalWindow)
        journalWindow->setTexts(journalTexts(Language(index)));
}

void TFormHlav::MenuEnglishClick()
{
    selectLanguage(language::kEnglish);
}

void TFormHlav::MenuCzechClick()
{
    selectLanguage(language::kCzech);
}

void TFormHlav::MenuGermanClick()
{
    selectLanguage(language::kGerman);
}
