#pragma once

#include "i18n/language.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

// The main window's texts per language, as data: which object gets which
// caption or hint. The window looks each object up by name and writes the
// text in row order; nothing here knows about widgets.

enum class CaptionProperty { Caption, Hint };

// What the named object is on the window: the window itself (its caption is
// the title), an item of the main menu (a menu or one of its commands), or a
// control on the client area.
enum class CaptionTarget { Window, MenuItem, Control };

struct CaptionAssignment
{
    const char *objectName;
    CaptionTarget target;
    CaptionProperty property;
    const char16_t *text; // zero-terminated; hints are kept whole, "short|long" as written
};

// Every set has this many rows: the title, 18 menu captions, 10 control
// captions, 14 control hints and 24 menu hints. All sets name the same
// objects and properties in the same order and differ only in their texts.
inline constexpr std::size_t kCaptionSetSize = 67;

// The caption set of a language: English, German or Czech. French
// (2) and any index without a set give an empty span; the window then keeps
// whatever texts it shows.
std::span<const CaptionAssignment> captionSet(Language language);

// The row's text as a QString.
QString captionText(const CaptionAssignment &assignment);
