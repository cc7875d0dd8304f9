// The caption sets against the window's form: every object they name must
// exist there as what the set takes it for, and none may reach an object that
// keeps its design text in every language.
#include "i18n/captiontables.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#ifndef TORVO_FORM_UI
#error "TORVO_FORM_UI must name the window's .ui file"
#endif

namespace {

struct FormObjects
{
    QString topClass;                  // class of the form's outermost widget
    QHash<QString, QString> widgets;   // object name -> widget class
    QSet<QString> widgetsWithText;     // widgets that carry a "text" property
    QSet<QString> actions;
    QString error;
};

FormObjects readForm(const QString &path)
{
    FormObjects form;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        form.error = QStringLiteral("cannot open ") + path;
        return form;
    }
    QXmlStreamReader xml(&file);
    // Open elements, each with the object name it belongs to (widgets and
    // actions name themselves; other elements inherit their parent's).
    std::vector<std::pair<QString, QString>> open;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString element = xml.name().toString();
            QString owner = open.empty() ? QString() : open.back().second;
            const QString name = xml.attributes().value(QStringLiteral("name")).toString();
            if (element == QStringLiteral("widget")) {
                if (!open.empty() && open.back().first == QStringLiteral("ui"))
                    form.topClass = xml.attributes().value(QStringLiteral("class")).toString();
                form.widgets.insert(name, xml.attributes().value(QStringLiteral("class")).toString());
                owner = name;
            } else if (element == QStringLiteral("action")) {
                form.actions.insert(name);
                owner = name;
            } else if (element == QStringLiteral("property") && name == QStringLiteral("text") && !open.empty()
                       && open.back().first == QStringLiteral("widget")) {
                form.widgetsWithText.insert(owner);
            }
            open.emplace_back(element, owner);
        } else if (xml.isEndElement() && !open.empty()) {
            open.pop_back();
        }
    }
    if (xml.hasError())
        form.error = xml.errorString();
    return form;
}

constexpr std::array<std::uint8_t, 3> kSetLanguages{0, 3, 1};

const char *propertyName(CaptionProperty property)
{
    switch (property) {
    case CaptionProperty::Caption:
        return "caption";
    case CaptionProperty::Hint:
        return "hint";
    }
    return "?";
}

// Whether the form has the object as the kind of thing the set says it is;
// an empty answer means it does, otherwise it says what is wrong.
std::string mismatch(const FormObjects &form, const CaptionAssignment &row)
{
    const QString name = QString::fromLatin1(row.objectName);
    const QString cls = form.widgets.value(name);
    const bool isMenu = cls == QStringLiteral("QMenu");
    switch (row.target) {
    case CaptionTarget::Window:
        // The form's outer widget gets the instance name at run time.
        if (name != QStringLiteral("FormHlav"))
            return "the window is FormHlav";
        if (form.topClass != QStringLiteral("QMainWindow"))
            return "the form's top widget is " + form.topClass.toStdString() + ", not a main window";
        return {};
    case CaptionTarget::MenuItem:
        if (!form.actions.contains(name) && !isMenu)
            return "no menu or menu action of that name in the form";
        return {};
    case CaptionTarget::Control:
        if (!form.widgets.contains(name))
            return "no widget of that name in the form";
        if (isMenu || cls == QStringLiteral("QMenuBar"))
            return "it is part of the menu, not a control";
        if (row.property == CaptionProperty::Caption && !form.widgetsWithText.contains(name))
            return "a " + cls.toStdString() + " without a text to replace";
        return {};
    }
    return "unknown target";
}

} // namespace

TEST(CaptionForm, EveryNamedObjectIsInTheForm)
{
    const FormObjects form = readForm(QStringLiteral(TORVO_FORM_UI));
    ASSERT_TRUE(form.error.isEmpty()) << form.error.toStdString();
    ASSERT_FALSE(form.widgets.isEmpty());
    for (const std::uint8_t language : kSetLanguages) {
        for (const CaptionAssignment &row : captionSet(Language(language))) {
            const std::string problem = mismatch(form, row);
            EXPECT_TRUE(problem.empty()) << "language " << int(language) << ", " << row.objectName << " "
                                         << propertyName(row.property) << ": " << problem;
        }
    }
}

TEST(CaptionForm, DesignTextsThatStayAreNotTouched)
{
    const FormObjects form = readForm(QStringLiteral(TORVO_FORM_UI));
    ASSERT_TRUE(form.error.isEmpty()) << form.error.toStdString();
    // Neither caption nor hint of these changes with the language.
    const QStringList untouched{QStringLiteral("LabelBaseAdv"), QStringLiteral("LabelPalec13"),
                                QStringLiteral("LabelPalec24"), QStringLiteral("LabelSpojeni"),
                                QStringLiteral("MenuTools"),    QStringLiteral("AdvanceMinus"),
                                QStringLiteral("AdvancePlus")};
    // The Com items get hints per language but keep their numbered captions.
    QStringList captionKept;
    for (int n = 1; n <= 10; ++n)
        captionKept << QStringLiteral("MenuCom%1").arg(n);

    // A misspelt name here would make the check below pass for nothing.
    for (const QString &name : untouched + captionKept)
        EXPECT_TRUE(form.widgets.contains(name) || form.actions.contains(name))
            << name.toStdString() << " is not in the form";

    for (const std::uint8_t language : kSetLanguages) {
        for (const CaptionAssignment &row : captionSet(Language(language))) {
            const QString name = QString::fromLatin1(row.objectName);
            EXPECT_FALSE(untouched.contains(name))
                << "language " << int(language) << " sets the " << propertyName(row.property) << " of "
                << row.objectName;
            EXPECT_FALSE(row.property == CaptionProperty::Caption && captionKept.contains(name))
                << "language " << int(language) << " sets the caption of " << row.objectName;
        }
    }
}
