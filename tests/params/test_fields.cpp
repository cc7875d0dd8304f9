// The field table against what it describes: the window's controls, the file
// the writer produces, and the bounding the controls apply.
#include "params/fields.h"
#include "params/parameterfile.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <string>

#ifndef TORVO_FORM_UI
#error "TORVO_FORM_UI must name the window's .ui file"
#endif

namespace {

struct FormControl
{
    QString widgetClass;
    QHash<QString, QString> properties; // property name -> its value's text
};

// The widgets of the form with their simple properties.
QHash<QString, FormControl> readControls(const QString &path)
{
    QHash<QString, FormControl> controls;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return controls;
    QXmlStreamReader xml(&file);
    QList<QString> widgets; // names of the open widget elements
    QString property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString element = xml.name().toString();
            const QString name = xml.attributes().value(QStringLiteral("name")).toString();
            if (element == QStringLiteral("widget")) {
                widgets.append(name);
                controls[name].widgetClass = xml.attributes().value(QStringLiteral("class")).toString();
            } else if (element == QStringLiteral("property")) {
                property = name;
            } else if (!property.isEmpty() && !widgets.isEmpty()
                       && (element == QStringLiteral("number") || element == QStringLiteral("bool"))) {
                controls[widgets.last()].properties[property] = xml.readElementText();
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == QStringLiteral("widget") && !widgets.isEmpty())
                widgets.removeLast();
            else if (xml.name() == QStringLiteral("property"))
                property.clear();
        }
    }
    return controls;
}

} // namespace

TEST(FieldTable, MatchesTheWindowsControls)
{
    const QHash<QString, FormControl> form = readControls(QStringLiteral(TORVO_FORM_UI));
    ASSERT_FALSE(form.isEmpty()) << "cannot read " << TORVO_FORM_UI;
    for (const FieldSpec &spec : fieldTable()) {
        const std::string what = spec.name.toStdString() + " (" + spec.control + ")";
        ASSERT_TRUE(form.contains(QLatin1String(spec.control))) << what << " is not on the form";
        const FormControl &control = form[QLatin1String(spec.control)];
        if (spec.flag) {
            EXPECT_EQ(control.widgetClass, QStringLiteral("QCheckBox")) << what;
            continue;
        }
        EXPECT_EQ(control.widgetClass, QStringLiteral("UpDown")) << what;
        EXPECT_EQ(control.properties.value(QStringLiteral("minimum")).toInt(), spec.minimum) << what;
        EXPECT_EQ(control.properties.value(QStringLiteral("maximum")).toInt(), spec.maximum) << what;
        EXPECT_EQ(control.properties.value(QStringLiteral("increment")).toInt(), spec.increment) << what;
        EXPECT_EQ(control.properties.value(QStringLiteral("thousands")) == QStringLiteral("true"), spec.grouped)
            << what;
    }
}

TEST(FieldTable, NamesTheWordsAndPlacesTheWriterUses)
{
    // Every field a byte of its own, so a field read from the wrong place shows.
    ParameterImage image;
    for (const FieldSpec &spec : fieldTable())
        image[spec.byte] = static_cast<std::uint8_t>(spec.flag ? 1 : 30 + spec.byte);
    const QList<QByteArray> lines = parameterFileText(image).split('\n');
    for (const FieldSpec &spec : fieldTable()) {
        QList<QByteArray> numbers;
        for (const QByteArray &line : lines) {
            QList<QByteArray> words = line.simplified().split(' ');
            if (words.value(0) == spec.fileWord)
                numbers = words.mid(1);
        }
        EXPECT_EQ(numbers.value(spec.fileIndex).toInt(), image[spec.byte] * spec.fileScale)
            << spec.name.toStdString() << " in the line of " << spec.fileWord;
    }
}

TEST(FieldTable, BoundsEveryFieldAsItsControlShowsIt)
{
    // What the window's controls show for a byte and capture back, worked out
    // by hand from the spinner ranges; the curve is not normalised here.
    struct Case
    {
        int byte;
        int value;
        int expected;
    };
    const Case cases[] = {
        {ParameterImage::kAdvance + 4, 70, 60},    {ParameterImage::kAdvance, 60, 60},
        {ParameterImage::kLimiter, 0, 9},          {ParameterImage::kLimiter, 10, 10},
        {ParameterImage::kLimiter, 251, 250},      {ParameterImage::kTop14, 12, 9},
        {ParameterImage::kTop23, 1, 2},            {ParameterImage::kBaseAdv, 41, 40},
        {ParameterImage::kRpm2, 2, 1},             {ParameterImage::kBlokEnable, 255, 1},
        {ParameterImage::kRpmAdv, 0, 1},           {ParameterImage::kRpmAdv + 1, 1, 3},
        {ParameterImage::kRpmAdv + 9, 255, 201},   {ParameterImage::kRpmAdv + 2, 150, 150},
    };
    for (const Case &c : cases) {
        ParameterImage image;
        image.applyDefaults();
        for (int i : {6, 9, 30, 49, 50, 54})
            image[i] = 0xEE;
        image[c.byte] = static_cast<std::uint8_t>(c.value);
        ParameterImage expected = image;
        expected[c.byte] = static_cast<std::uint8_t>(c.expected);
        EXPECT_EQ(boundedToControls(image), expected) << "byte " << c.byte << " = " << c.value;
    }
}

TEST(FieldTable, CapturesControlValuesInTheImagesUnits)
{
    struct Case
    {
        ParamField field;
        int value;
        bool accepted;
        int byte;
    };
    const Case cases[] = {
        {rpmField(2), 2550, true, 25},           {rpmField(0), 199, true, 1},
        {rpmField(1), 299, false, 2},            {rpmField(9), 20100, true, 201},
        {rpmField(9), 20101, false, 201},        {ParamField::Limiter, 15500, true, 155},
        {ParamField::Limiter, 999, true, 9},     {ParamField::Limiter, 998, false, 9},
        {advanceField(3), -1, false, 0},         {advanceField(3), 61, false, 61},
        {ParamField::Rpm2, 7, true, 1},          {ParamField::BlokEnable, 0, true, 0},
    };
    for (const Case &c : cases) {
        const FieldSpec &spec = fieldSpec(c.field);
        EXPECT_EQ(acceptsValue(spec, c.value), c.accepted) << spec.name.toStdString() << " " << c.value;
        EXPECT_EQ(capturedByte(spec, c.value), c.byte) << spec.name.toStdString() << " " << c.value;
    }
}
