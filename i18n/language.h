#pragma once

#include <cstdint>

// The one process-wide value: the language of the user interface.
// 0 English, 1 German, 2 French (no menu offers it; it only selects the French
// column of the message table), 3 Czech. 0 when the program starts.
namespace language {

inline constexpr std::uint8_t kEnglish = 0;
inline constexpr std::uint8_t kGerman = 1;
inline constexpr std::uint8_t kFrench = 2;
inline constexpr std::uint8_t kCzech = 3;

std::uint8_t index();
void setIndex(std::uint8_t value);

} // namespace language
