// Tests of the three caption sets and of their fit to the window's form.
#include "i18n/captiontables.h"

#include <QSet>
#include <QString>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <span>
#include <vector>

namespace {

constexpr std::uint8_t kEnglish = 0;
constexpr std::uint8_t kGerman = 1;
constexpr std::uint8_t kCzech = 3;
constexpr std::array<std::uint8_t, 3> kSetLanguages{kEnglish, kCzech, kGerman};

const char *languageName(std::uint8_t language)
{
    switch (language) {
    case kEnglish:
        return "English";
    case kGerman:
        return "German";
    case kCzech:
        return "Czech";
    }
    return "?";
}

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

const char *targetName(CaptionTarget target)
{
    switch (target) {
    case CaptionTarget::Window:
        return "window";
    case CaptionTarget::MenuItem:
        return "menu item";
    case CaptionTarget::Control:
        return "control";
    }
    return "?";
}

std::string show(const QString &text)
{
    return "\"" + text.toStdString() + "\"";
}

std::string describe(const CaptionAssignment &row)
{
    return std::string(row.objectName) + " " + propertyName(row.property) + " (" + targetName(row.target) + ")";
}

// The order the window applies the texts in, written out once: the title, the
// menu captions, the control captions, then the hints as the product lists
// them (the check box of programming after a change comes last).
std::vector<std::pair<const char *, CaptionProperty>> expectedOrder()
{
    std::vector<std::pair<const char *, CaptionProperty>> rows;
    for (const char *name :
         {"FormHlav", "MenuFile", "MenuNew", "MenuOpen", "MenuSave", "MenuPrint", "MenuExit", "MenuCom",
          "MenuDevice", "MenuRead", "MenuVerify", "MenuProgram", "MenuLanguage", "MenuEnglish", "MenuCzech",
          "MenuGerman", "MenuHelp", "MenuContens", "MenuAbout", "CheckBoxIgnAll", "CheckBoxProgHned",
          "Button1", "BitBtn1", "BitBtn2", "Label2", "LabelOmez2", "CheckBoxBlokEnable", "CheckBoxRpm2Krat",
          "LabelFile1"})
        rows.emplace_back(name, CaptionProperty::Caption);
    for (const char *name :
         {"Label26", "LabelVerze1", "LabelVerze2", "LabelVerze3", "SpeedButton5", "SpeedButton6",
          "SpeedButton7", "SpeedButtonPrint", "BitBtn1", "BitBtn2", "BitBtnAdvMinus", "BitBtnAdvPlus",
          "Button1", "MenuNew", "MenuOpen", "MenuSave", "MenuPrint", "MenuExit", "MenuCom", "MenuCom1",
          "MenuCom2", "MenuCom3", "MenuCom4", "MenuCom5", "MenuCom6", "MenuCom7", "MenuCom8", "MenuCom9",
          "MenuCom10", "MenuRead", "MenuVerify", "MenuProgram", "MenuLanguage", "MenuEnglish", "MenuCzech",
          "MenuGerman", "MenuHelp", "CheckBoxProgHned"})
        rows.emplace_back(name, CaptionProperty::Hint);
    return rows;
}

const CaptionAssignment *findRow(std::span<const CaptionAssignment> set, const std::string &object,
                                 CaptionProperty property)
{
    for (const CaptionAssignment &row : set) {
        if (object == row.objectName && row.property == property)
            return &row;
    }
    return nullptr;
}

} // namespace

TEST(CaptionSets, EverySetFollowsTheApplyOrder)
{
    const auto order = expectedOrder();
    ASSERT_EQ(order.size(), kCaptionSetSize);
    for (const std::uint8_t language : kSetLanguages) {
        const auto set = captionSet(Language(language));
        ASSERT_EQ(set.size(), kCaptionSetSize) << languageName(language);
        for (std::size_t i = 0; i < set.size(); ++i) {
            EXPECT_EQ(std::string(set[i].objectName), std::string(order[i].first))
                << languageName(language) << " row " << i;
            EXPECT_EQ(set[i].property, order[i].second)
                << languageName(language) << " row " << i << " " << set[i].objectName << ": expected "
                << propertyName(order[i].second) << ", got " << propertyName(set[i].property);
        }
    }
}

TEST(CaptionSets, CountsPerKindAndCaptionsBeforeHints)
{
    using Kind = std::pair<CaptionTarget, CaptionProperty>;
    const std::map<Kind, std::size_t> expected{
        {{CaptionTarget::Window, CaptionProperty::Caption}, 1},
        {{CaptionTarget::MenuItem, CaptionProperty::Caption}, 18},
        {{CaptionTarget::Control, CaptionProperty::Caption}, 10},
        {{CaptionTarget::Control, CaptionProperty::Hint}, 14},
        {{CaptionTarget::MenuItem, CaptionProperty::Hint}, 24},
    };
    for (const std::uint8_t language : kSetLanguages) {
        const auto set = captionSet(Language(language));
        std::map<Kind, std::size_t> counts;
        bool hintSeen = false;
        for (const CaptionAssignment &row : set) {
            ++counts[{row.target, row.property}];
            if (row.property == CaptionProperty::Hint)
                hintSeen = true;
            else
                EXPECT_FALSE(hintSeen) << languageName(language) << ": caption of " << row.objectName
                                       << " after a hint";
        }
        for (const auto &[kind, count] : expected)
            EXPECT_EQ(counts[kind], count) << languageName(language) << ": " << targetName(kind.first) << " "
                                           << propertyName(kind.second) << "s";
        EXPECT_EQ(counts.size(), expected.size()) << languageName(language) << ": a kind no set should have";
        ASSERT_FALSE(set.empty());
        EXPECT_EQ(set.front().target, CaptionTarget::Window) << languageName(language) << ": title comes first";
    }
}

TEST(CaptionSets, NoObjectGetsTheSamePropertyTwice)
{
    for (const std::uint8_t language : kSetLanguages) {
        QSet<QString> seen;
        for (const CaptionAssignment &row : captionSet(Language(language))) {
            const QString key = QString::fromLatin1(row.objectName) + QLatin1Char('/')
                                + QLatin1String(propertyName(row.property));
            EXPECT_FALSE(seen.contains(key)) << languageName(language) << ": " << describe(row) << " twice";
            seen.insert(key);
            EXPECT_FALSE(captionText(row).isEmpty()) << languageName(language) << ": " << describe(row);
        }
    }
}

TEST(CaptionSets, FrenchAndIndicesWithoutASetGiveNothing)
{
    for (const int index : {2, 4, 7, 255})
        EXPECT_TRUE(captionSet(Language(static_cast<std::uint8_t>(index))).empty()) << "index " << index;
}

// Hand-picked texts that are easy to get wrong, spelled with escapes so that
// they do not depend on how the source files are encoded.
struct CaptionSample
{
    std::uint8_t language;
    const char *object;
    CaptionProperty property;
    const char16_t *expected;
};

void PrintTo(const CaptionSample &sample, std::ostream *out)
{
    *out << languageName(sample.language) << " " << sample.object << " " << propertyName(sample.property);
}

class CaptionSetSample : public ::testing::TestWithParam<CaptionSample>
{
};

TEST_P(CaptionSetSample, HoldsTheExactText)
{
    const CaptionSample &sample = GetParam();
    const CaptionAssignment *row = findRow(captionSet(Language(sample.language)), sample.object, sample.property);
    ASSERT_NE(row, nullptr) << languageName(sample.language) << " has no " << sample.object << " "
                            << propertyName(sample.property);
    const QString expected = QString::fromUtf16(sample.expected);
    EXPECT_EQ(captionText(*row), expected)
        << languageName(sample.language) << " " << sample.object << " " << propertyName(sample.property)
        << ": expected " << show(expected) << ", got " << show(captionText(*row));
}

constexpr auto kCaption = CaptionProperty::Caption;
constexpr auto kHint = CaptionProperty::Hint;

INSTANTIATE_TEST_SUITE_P(
    CaptionSets, CaptionSetSample,
    ::testing::Values(
        // English: quotes in the title, double and trailing spaces, typos.
        CaptionSample{kEnglish, "FormHlav", kCaption, u"Programming of \"Torvo TCI\" unit"},
        CaptionSample{kEnglish, "MenuExit", kCaption, u"E&xit"},
        CaptionSample{kEnglish, "MenuContens", kCaption, u"&Contents..."},
        CaptionSample{kEnglish, "Label2", kCaption, u"Advance [\u00B0]"},
        CaptionSample{kEnglish, "BitBtn1", kHint, u"Programing  set parametrs to ignition"},
        CaptionSample{kEnglish, "BitBtn2", kHint, u"Compare set parametrs  with parametrs of ignition"},
        CaptionSample{kEnglish, "MenuNew", kHint, u"Set default parameters "},
        CaptionSample{kEnglish, "MenuOpen", kHint, u"Open file with parameters "},
        CaptionSample{kEnglish, "MenuVerify", kHint, u"Compare set parameters  with parameters of unit"},
        CaptionSample{kEnglish, "MenuProgram", kHint, u"Programing  set parameters to unit"},
        CaptionSample{kEnglish, "MenuCom", kHint, u"Com|Set number of com"},
        CaptionSample{kEnglish, "MenuCom2", kHint, u"Set com 2"},
        CaptionSample{kEnglish, "MenuLanguage", kHint, u"Language|Set English or Czech or German"},
        CaptionSample{kEnglish, "MenuCzech", kHint, u"Nastavit \u010Desk\u00E9 menu"},
        CaptionSample{kEnglish, "MenuGerman", kHint, u"Deutche Men\u00FC"},
        CaptionSample{kEnglish, "MenuHelp", kHint, u"Not available jet"},
        CaptionSample{kEnglish, "Label26", kHint, u"Round per Minute|Speed - Round per Minute"},
        // Czech
        CaptionSample{kCzech, "FormHlav", kCaption, u"Programov\u00E1n\u00ED jednotky \"Torvo TCI\""},
        CaptionSample{kCzech, "MenuRead", kCaption, u"\u010C\u00ED&st"},
        CaptionSample{kCzech, "MenuCzech", kCaption, u"\u010Ce&sky"},
        CaptionSample{kCzech, "Label2", kCaption, u"P\u0159edstih [\u00B0]"},
        CaptionSample{kCzech, "MenuCom", kHint, u"Nastaven\u00ED \u010D\u00EDsla seriv\u00E9ho portu (Com) "},
        CaptionSample{kCzech, "BitBtn2", kHint,
                      u"Ov\u011B\u0159en\u00ED zda  nastaven\u00E9 parametry souhlas\u00ED s parametry "
                      u"naprogramovan\u00FDmi do zapalov\u00E1n\u00ED"},
        CaptionSample{kCzech, "MenuRead", kHint, u"\u010Cten\u00ED|\u010Cten\u00ED parametr\u016F z jednotky"},
        CaptionSample{kCzech, "MenuEnglish", kHint, u"Set Englich menu"},
        CaptionSample{kCzech, "CheckBoxProgHned", kHint, u"Programov\u00E1n\u00ED ihned po zm\u011Bn\u011B"},
        // German
        CaptionSample{kGerman, "FormHlav", kCaption, u"Programmierung der \"Torvo TCI\" Z\u00FCndbox"},
        CaptionSample{kGerman, "MenuEnglish", kCaption, u"Englisch"},
        CaptionSample{kGerman, "MenuExit", kCaption, u"&Beenden"},
        CaptionSample{kGerman, "MenuAbout", kCaption, u"&\u00DCber Programm..."},
        CaptionSample{kGerman, "CheckBoxBlokEnable", kCaption, u"Blockierung zugelast"},
        CaptionSample{kGerman, "MenuExit", kHint, u"Speichern"},
        CaptionSample{kGerman, "SpeedButton5", kHint, u"\u00F6ffnen Datei mit Kenndaten"},
        CaptionSample{kGerman, "Label26", kHint, u"Umdrehungen pro Minute"},
        CaptionSample{kGerman, "MenuLanguage", kHint, u"Sprache"},
        CaptionSample{kGerman, "CheckBoxProgHned", kHint, u"Programmmieren gleich after die Um\u00E4nderung"}),
    [](const ::testing::TestParamInfo<CaptionSample> &info) {
        return std::string(languageName(info.param.language)) + "_" + info.param.object + "_"
               + propertyName(info.param.property);
    });

TEST(CaptionSets, EachComItemHintCarriesItsOwnNumber)
{
    struct Pattern
    {
        std::uint8_t language;
        const char16_t *before;
        const char16_t *after;
    };
    const Pattern patterns[] = {
        {kEnglish, u"Set com ", u""},
        {kCzech, u"Nastaven\u00ED komunikace na port com ", u""},
        {kGerman, u"Com ", u" festzustellen"},
    };
    for (const Pattern &p : patterns) {
        for (int n = 1; n <= 10; ++n) {
            const std::string object = "MenuCom" + std::to_string(n);
            const CaptionAssignment *row = findRow(captionSet(Language(p.language)), object, CaptionProperty::Hint);
            ASSERT_NE(row, nullptr) << languageName(p.language) << " " << object;
            const QString expected = QString::fromUtf16(p.before) + QString::number(n) + QString::fromUtf16(p.after);
            EXPECT_EQ(captionText(*row), expected) << languageName(p.language) << " " << object << ": expected "
                                                   << show(expected) << ", got " << show(captionText(*row));
        }
    }
}
