// The language menu writes a whole caption set onto the window.
#include "window_fixture.h"

#include "i18n/captiontables.h"

#include <QAbstractButton>
#include <QMenu>

namespace {

// What the window shows for one row of a caption set.
QString shown(TFormHlav &window, const CaptionAssignment &row)
{
    const QString name = QLatin1String(row.objectName);
    if (row.target == CaptionTarget::Window)
        return window.windowTitle();
    if (auto *menu = window.findChild<QMenu *>(name))
        return row.property == CaptionProperty::Caption ? menu->title() : menu->menuAction()->statusTip();
    if (auto *action = window.findChild<QAction *>(name))
        return row.property == CaptionProperty::Caption ? action->text() : action->statusTip();
    QWidget *control = window.findChild<QWidget *>(name);
    if (!control)
        return QStringLiteral("<missing>");
    if (row.property == CaptionProperty::Hint)
        return control->statusTip();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return button->text();
    return QStringLiteral("<no text>");
}

QString longPart(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace

TEST_F(WindowTest, EveryLanguageWritesItsWholeSetAndSwitchingBackRestoresIt)
{
    const struct
    {
        void (TFormHlav::*pick)();
        std::uint8_t index;
        const char *programError;
    } languages[] = {
        {&TFormHlav::MenuCzechClick, 3, "Chyba programování"},
        {&TFormHlav::MenuGermanClick, 1, "Programmierfehler!"},
        {&TFormHlav::MenuEnglishClick, 0, "Program error!"},
    };
    for (const auto &l : languages) {
        (window.get()->*l.pick)();
        EXPECT_EQ(window->session().language().index(), l.index);
        EXPECT_EQ(item("MenuEnglish")->isChecked(), l.index == 0);
        EXPECT_EQ(item("MenuGerman")->isChecked(), l.index == 1);
        EXPECT_EQ(item("MenuCzech")->isChecked(), l.index == 3);
        EXPECT_EQ(window->session().language().text(Msg::MsgProgramError), QString::fromUtf8(l.programError))
            << "language " << int(l.index);
        for (const CaptionAssignment &row : captionSet(l.index)) {
            const QString expected = row.property == CaptionProperty::Hint ? longPart(captionText(row))
                                                                           : captionText(row);
            EXPECT_EQ(shown(*window, row), expected)
                << "language " << int(l.index) << ", " << row.objectName
                << (row.property == CaptionProperty::Hint ? " hint" : " caption");
        }
        // What no set changes keeps its design text in every language.
        EXPECT_EQ(text("LabelBaseAdv"), QString::fromUtf8("Base advance [°]"));
        EXPECT_EQ(item("AdvancePlus")->text(), "Advance +");
        EXPECT_EQ(item("MenuCom10")->text(), "Com 1&0");
    }
}
