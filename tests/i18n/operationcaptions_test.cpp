#include <gtest/gtest.h>

#include "i18n/operationcaptions.h"

namespace {

struct CaptionCase
{
    Operation operation;
    std::uint8_t language;
    const char16_t *expected; // nullptr: no caption, the label keeps its text
};

const char *operationName(Operation operation)
{
    switch (operation) {
    case Operation::Program:
        return "Program";
    case Operation::Verify:
        return "Verify";
    case Operation::Read:
        return "Read";
    }
    return "?";
}

} // namespace

TEST(OperationCaption, EveryOperationInEveryLanguage)
{
    const CaptionCase cases[] = {
        {Operation::Program, 0, u"Program device:"},
        {Operation::Program, 1, u"Programmieren:"},
        {Operation::Program, 3, u"Programování:"},
        {Operation::Verify, 0, u"Verify device:"},
        {Operation::Verify, 1, u"Vergleichen:"},
        {Operation::Verify, 3, u"Verifikace:"},
        {Operation::Read, 0, u"Read device:"},
        {Operation::Read, 1, u"Lesen:"},
        {Operation::Read, 3, u"Čtení:"},
        // French has no caption of its own, nor has an index beyond the table.
        {Operation::Program, 2, nullptr},
        {Operation::Verify, 2, nullptr},
        {Operation::Read, 2, nullptr},
        {Operation::Program, 4, nullptr},
        {Operation::Read, 255, nullptr},
    };
    for (const CaptionCase &c : cases) {
        const std::optional<QString> caption = operationCaption(c.operation, c.language);
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
