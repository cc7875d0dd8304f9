// The texts of the added menu items and of the device chooser: the same
// objects in every language, all of them actions of the form, and none of
// them reached by the 67-row caption sets.
#include "i18n/captiontables.h"
#include "i18n/extracaptions.h"
#include "i18n/fieldnames.h"
#include "i18n/journaltexts.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#ifndef TORVO_FORM_UI
#error "TORVO_FORM_UI must name the window's .ui file"
#endif

namespace {

// Each action of the form with its design text.
QHash<QString, QString> formActionTexts()
{
    QHash<QString, QString> texts;
    QFile file(QStringLiteral(TORVO_FORM_UI));
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader xml(&file);
    QString action;
    bool inText = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.attributes().value(QStringLiteral("name")).toString();
            if (xml.name() == QStringLiteral("action")) {
                action = name;
                texts.insert(action, QString());
            } else if (xml.name() == QStringLiteral("property")) {
                inText = !action.isEmpty() && name == QStringLiteral("text");
            } else if (xml.name() == QStringLiteral("string") && inText) {
                texts[action] = xml.readElementText();
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == QStringLiteral("action"))
                action.clear();
            else if (xml.name() == QStringLiteral("property"))
                inText = false;
        }
    }
    return texts;
}

constexpr std::array<std::uint8_t, 3> kLanguages{0, 1, 3};

} // namespace

TEST(ExtraCaptions, EveryLanguageNamesTheFormsActionsAndFrenchKeepsTheDesignTexts)
{
    const QHash<QString, QString> actions = formActionTexts();
    ASSERT_FALSE(actions.isEmpty()) << "cannot read " << TORVO_FORM_UI;
    const auto english = extraCaptions(Language(0));
    ASSERT_FALSE(english.empty());
    for (const ExtraCaption &row : english) {
        const QString name = QLatin1String(row.objectName);
        ASSERT_TRUE(actions.contains(name)) << row.objectName << " is no action of the form";
        // French (2) and unknown indices get the English rows: they must be
        // what the form shows before any language is applied.
        EXPECT_EQ(actions.value(name), extraText(row.caption)) << row.objectName;
    }
    for (std::uint8_t index : {std::uint8_t{2}, std::uint8_t{9}}) {
        const auto other = extraCaptions(Language(index));
        ASSERT_EQ(other.size(), english.size()) << int(index);
        for (std::size_t i = 0; i < other.size(); ++i)
            EXPECT_EQ(extraText(other[i].caption), extraText(english[i].caption)) << int(index);
    }
    for (std::uint8_t index : kLanguages) {
        const auto rows = extraCaptions(Language(index));
        ASSERT_EQ(rows.size(), english.size()) << "language " << int(index);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_STREQ(rows[i].objectName, english[i].objectName) << "language " << int(index) << " row " << i;
            EXPECT_FALSE(extraText(rows[i].caption).isEmpty()) << "language " << int(index) << " row " << i;
            EXPECT_FALSE(extraText(rows[i].hint).isEmpty()) << "language " << int(index) << " row " << i;
        }
    }
}

TEST(ExtraCaptions, TheCaptionSetsNeverReachTheAddedItems)
{
    for (std::uint8_t index : kLanguages) {
        EXPECT_EQ(captionSet(Language(index)).size(), kCaptionSetSize) << "language " << int(index);
        for (const CaptionAssignment &row : captionSet(Language(index))) {
            for (const ExtraCaption &extra : extraCaptions(Language(index)))
                EXPECT_STRNE(row.objectName, extra.objectName) << "language " << int(index);
        }
    }
}

TEST(ExtraCaptions, TheChooserHasEveryTextInEveryLanguage)
{
    for (std::uint8_t index : kLanguages) {
        const DeviceChooserTexts &t = deviceChooserTexts(Language(index));
        for (const char16_t *text : {t.title, t.comLabel, t.ok, t.cancel, t.noDevice, t.pathLabel})
            EXPECT_FALSE(extraText(text).isEmpty()) << "language " << int(index);
        for (std::size_t c = 0; c < kDeviceColumns; ++c)
            EXPECT_FALSE(extraText(t.columns[c]).isEmpty()) << "language " << int(index) << " column " << c;
    }
    EXPECT_EQ(extraText(deviceChooserTexts(Language(2)).title), extraText(deviceChooserTexts(Language(0)).title));
}

TEST(ExtraCaptions, TheChartHasEveryTextInEveryLanguage)
{
    for (std::uint8_t index : kLanguages) {
        const ChartTexts &t = chartTexts(Language(index));
        for (const char16_t *text : {t.title, t.rpmAxis, t.advanceAxis, t.limiter, t.exportPng, t.exportSvg,
                                     t.recordingRows, t.recordingStopped, t.play, t.pause, t.closeRecording,
                                     t.liveLegend})
            EXPECT_FALSE(extraText(text).isEmpty()) << "language " << int(index);
    }
}

TEST(ExtraCaptions, TheAdviceNamesTheMenuItemAsItsLanguageShowsItWithOneEllipsis)
{
    const struct
    {
        std::uint8_t index;
        const char *menuPath;
    } cases[] = {
        {0, "Com → Choose device…"},
        {1, "ComPort → Gerät wählen…"},
        {3, "Port → Vybrat zařízení…"},
        {2, "Com → Choose device…"}, // no set: the design texts
    };
    for (const auto &c : cases) {
        const QString menu = chooseDeviceMenuPath(Language(c.index));
        EXPECT_EQ(menu, QString::fromUtf8(c.menuPath)) << int(c.index);
        const PortAdviceTexts &t = portAdviceTexts(Language(c.index));
        for (const QString &text : {extraText(t.firstRun).arg(4).arg(menu), extraText(t.notThere).arg(menu),
                                    extraText(t.noRight), extraText(t.inUse)}) {
            EXPECT_FALSE(text.contains(QLatin1Char('%')) || text.contains(QStringLiteral("….")) ||
                         text.contains(QStringLiteral("...")))
                << text.toStdString();
        }
    }
}

TEST(ExtraCaptions, TheJournalAndTheFieldNamesHaveEveryTextInEveryLanguage)
{
    for (std::uint8_t index : kLanguages) {
        const JournalTexts &j = journalTexts(Language(index));
        const FieldNameTexts &f = fieldNameTexts(Language(index));
        for (const char16_t *text : {j.title, j.filter, j.open, j.compare, j.showFolder, j.read, j.program, j.verify,
                                     j.ok, j.noReply, j.garbled, j.differs, j.version, f.top14, f.top23,
                                     f.baseAdvance, f.limiter, f.tachometer2x, f.blockingEnable})
            EXPECT_FALSE(extraText(text).isEmpty()) << "language " << int(index);
        for (const char16_t *column : j.columns)
            EXPECT_FALSE(extraText(column).isEmpty()) << "language " << int(index);
        for (const char16_t *placed : {f.rpmPoint, f.advancePoint, f.rpmValue, f.degreeValue})
            EXPECT_TRUE(extraText(placed).contains(QStringLiteral("%1"))) << "language " << int(index);
    }
    // The journal's stored words are shown in the language; others as they are.
    const struct
    {
        std::uint8_t index;
        const char *stored;
        const char *shown;
    } words[] = {
        {0, "no reply", "no reply"}, {1, "program", "Programmieren"}, {3, "differs", "liší se"},
        {1, "ok", "OK"},             {3, "unplugged", "unplugged"},   {2, "read", "read"},
    };
    for (const auto &w : words)
        EXPECT_EQ(journalWord(journalTexts(Language(w.index)), QString::fromUtf8(w.stored)), QString::fromUtf8(w.shown))
            << int(w.index) << " " << w.stored;
}
