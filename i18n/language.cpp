#include "i18n/language.h"

namespace language {
namespace {
std::uint8_t current = kEnglish;
} // namespace

std::uint8_t index()
{
    return current;
}

void setIndex(std::uint8_t value)
{
    current = value;
}

} // namespace language
