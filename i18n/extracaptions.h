#pragma once

#include "i18n/language.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Texts of the window's later additions, kept apart from the caption sets so
// that those stay exactly the product's own 67 rows. Like the sets, these are
// data only: the window looks each object up by name.

// A menu item added to the window: its caption and its hint ("short|long" or
// one text for both) in one language.
struct ExtraCaption
{
    const char *objectName;
    const char16_t *caption;
    const char16_t *hint;
};

// The added menu items' texts in a language: English 0, German 1, Czech 3.
// Every other index gives the English rows, which are also the form's design
// texts, so French (2) looks as it did before the set was applied.
std::span<const ExtraCaption> extraCaptions(Language language);

// The columns of the device chooser's list, in order: the COM number first
// and the long by-id name last, so a narrow dialog still shows what matters.
enum class DeviceColumn { Com, Path, Description, Manufacturer, UsbId, SerialNumber, StableName };
inline constexpr std::size_t kDeviceColumns = 7;

// The device chooser's own texts in one language.
struct DeviceChooserTexts
{
    const char16_t *title;
    std::array<const char16_t *, kDeviceColumns> columns; // in DeviceColumn order
    const char16_t *comLabel;                              // beside the COM number box
    const char16_t *ok;
    const char16_t *cancel;
    const char16_t *noDevice;                              // shown when the list is empty
    const char16_t *pathLabel;                             // beside the typed device path
};

// The chooser's texts in a language; English for French and an index that is no language.
const DeviceChooserTexts &deviceChooserTexts(Language language);

// "Com → Choose device…" as the menus of a language name it: the Com menu's
// caption from the language's caption set (without its accelerator mark), an
// arrow, and the item's caption. English for an index without a set.
QString chooseDeviceMenuPath(Language language);

// What the window says about the serial adapter, in one language.
struct PortAdviceTexts
{
    // The status bar, once after start when no unit has answered and [PORTS]
    // is empty: %1 the COM number, %2 chooseDeviceMenuPath.
    const char16_t *firstRun;
    // Below "Com opening error" when nothing answers at that name: %1 chooseDeviceMenuPath.
    const char16_t *notThere;
    // Below "Com opening error" when the user may not open the device.
    const char16_t *noRight;
    // Below "Com opening error" when another program holds the device.
    const char16_t *inUse;
};

// The advice in a language; English for French and an index that is no language.
const PortAdviceTexts &portAdviceTexts(Language language);

// The status bar's word when the journal could not keep an operation's
// entry: %1 the reason. English 0, German 1, Czech 3; English for any other.
const char16_t *journalNotKeptText(Language language);

// The curve chart's window and the recording's texts in one language.
struct ChartTexts
{
    const char16_t *title;
    const char16_t *rpmAxis;
    const char16_t *advanceAxis;
    const char16_t *limiter;
    const char16_t *exportPng;
    const char16_t *exportSvg;
    const char16_t *recordingRows; // %1: the number of rows so far
    const char16_t *recordingStopped;
    const char16_t *play;           // the playback of an open recording
    const char16_t *pause;
    const char16_t *closeRecording;
    const char16_t *liveLegend;     // the legend's name for the live dot
};

// The chart's texts in a language; English for French and an index that is no language.
const ChartTexts &chartTexts(Language language);

// The comparison's window in one language: Tools -> Compare with file… and
// Show differences. The other set's column is headed by its file's name, or
// by `unit` for the unit's block.
struct CompareTexts
{
    const char16_t *title;            // beside the file's name
    const char16_t *differencesTitle; // Show differences
    const char16_t *field;
    const char16_t *screen;
    const char16_t *difference;
    const char16_t *unit;
};

// The comparison's texts in a language; English for French and an index that is no language.
const CompareTexts &compareTexts(Language language);

// A table text as a QString; null gives an empty string.
QString extraText(const char16_t *text);

// What torvo-tci --help prints in one language; %1 is the settings file.
// English for any index but German and Czech.
const char16_t *commandLineHelp(Language language);
