#include <gtest/gtest.h>

#include "i18n/operationcaptions.h"

namespace {

struct CaptionCase
{
    OperationCaption operation;
    std::uint8_t language;
    const char16_t *expected; // nullptr: no caption, the label keeps its text
};

const char *operationName(OperationCaption operation)
{
    switch (operation) {
    case OperationCaption::Program:
        return "Program";
    case OperationCaption::Verify:
        return "Verify";
    case OperationCaption::Read:
        return "Read";
    }
    return "?";
}

} // namespace

TEST(OperationCaption, EveryOperationInEveryLanguage)
{
    const CaptionCase cases[] = {
        {OperationCaption::Program, 0, u"Program device:"},
        {OperationCaption::Program, 1, u"Programmieren:"},
        {OperationCaption::Program, 3, u"Programování:"},
        {OperationCaption::Verify, 0, u"Verify device:"},
        {OperationCaption::Verify, 1, u"Vergleichen:"},
        {OperationCaption::Verify, 3, u"Verifikace:"},
        {OperationCaption::Read, 0, u"Read device:"},
        {OperationCaption::Read, 1, u"Lesen:"},
        {OperationCaption::Read, 3, u"Čtení:"},
        // French has no caption of its own, nor has an index beyond the table.
        {OperationCaption::Program, 2, nullptr},
        {OperationCaption::Verify, 2, nullptr},
        {OperationCaption::Read, 2, nullptr},
        {OperationCaption::Program, 4, nullptr},
        {OperationCaption::Read, 255, nullptr},
    };
    for (const CaptionCase &c : cases) {
        const std::optional<QString> caption = operationCaption(c.operation, Language(c.language));
        const std::string where = std::string(operationName(c.operation)) + " in language "
                                  + std::to_string(c.language);
        if (c.expected == nullptr) {
            EXPECT_FALSE(caption.has_value()) << where << ": expected none, got \""
                                              << caption.value_or(QString()).toStdString() << '"';
        } else {
            ASSERT_TRUE(caption.has_value()) << where << ": expected \""
                                             << QString::fromUtf16(c.expected).toStdString() << "\", got none";
            EXPECT_EQ(*caption, QString::fromUtf16(c.expected))
                << where << ": expected \"" << QString::fromUtf16(c.expected).toStdString() << "\", got \""
                << caption->toStdString() << '"';
        }
    }
}
