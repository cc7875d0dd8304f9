// The language menu writes a whole caption set onto the window.
#include "window_fixture.h"

#include "app/journalwindow.h"
#include "i18n/captiontables.h"
#include "widgets/designfont.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

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

// The width a caption has in its control as the control's style lays it out:
// beside a check box's tick square, within a button's frame and margins, and
// for a label that follows its text, up to the next control on its row or the
// frame of its group.
int room(const QWidget *control)
{
    if (auto *box = qobject_cast<const QCheckBox *>(control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
    }
    if (auto *button = qobject_cast<const QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width()
               - button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    }
    if (!control->property("autoSize").toBool())
        return control->contentsRect().width();
    const QWidget *group = control->parentWidget();
    const QRect place = control->geometry();
    int right = group->width() - group->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    for (const QWidget *other : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect g = other->geometry();
        if (other != control && g.left() > place.left() && g.top() <= place.bottom() && g.bottom() >= place.top())
            right = std::min(right, g.left());
    }
    return right - place.left();
}

// The caption's width in a face, mnemonics as they are shown.
int captionWidth(const QWidget *control, const QString &text, QFont face)
{
    face.setBold(control->font().bold());
    const int flags = qobject_cast<const QAbstractButton *>(control) ? Qt::TextShowMnemonic : 0;
    return QFontMetrics(face).size(flags, text).width();
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
        for (const CaptionAssignment &row : captionSet(Language(l.index))) {
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

TEST_F(WindowTest, EveryCaptionOfEveryLanguageFitsItsControl)
{
    const struct
    {
        void (TFormHlav::*pick)();
        std::uint8_t index;
    } languages[] = {
        {&TFormHlav::MenuEnglishClick, 0}, {&TFormHlav::MenuGermanClick, 1}, {&TFormHlav::MenuCzechClick, 3}};
    int checked = 0;
    for (const auto &l : languages) {
        (window.get()->*l.pick)();
        for (const CaptionAssignment &row : captionSet(Language(l.index))) {
            if (row.target != CaptionTarget::Control || row.property != CaptionProperty::Caption)
                continue;
            const QWidget *c = control(row.objectName);
            ASSERT_NE(c, nullptr);
            const QString text = captionText(row);
            const int space = room(c);
            // In the window's own face, and in the stand-in face a system
            // without the design face shows.
            const int shownWidth = captionWidth(c, text, c->font());
            const int standInWidth = captionWidth(c, text, substituteFont(c->font().pixelSize()));
            const auto what = [&] {
                return QStringLiteral("language %1, %2 \"%3\": %4 and %5 pixels (stand-in) in %6")
                    .arg(l.index).arg(QLatin1String(row.objectName), text).arg(shownWidth).arg(standInWidth).arg(space)
                    .toStdString();
            };
            ++checked;
            // Every caption fits in the design face with the design's tick
            // square, so none is let off here.
            EXPECT_LE(shownWidth, space) << what();
            EXPECT_LE(standInWidth, space) << what();
        }
        // The buttons of the windows the Tools menu opens, laid out at their first size.
        window->MenuJournalClick();
        for (const QPushButton *b : window->journal()->findChildren<QPushButton *>()) {
            const int space = room(b);
            const int shownWidth = captionWidth(b, b->text(), b->font());
            ++checked;
            EXPECT_LE(shownWidth, space) << "language " << int(l.index) << ", " << b->objectName().toStdString()
                                         << " \"" << b->text().toStdString() << "\": " << shownWidth << " in " << space;
        }
    }
    EXPECT_EQ(checked, 39);
}
