#include "settings/settingsfile.h"

#include "params/regularfile.h"
#include "settings/initext.h"
#include "settings/wholefile.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

#include <SimpleIni.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr char kFormSection[] = "FORM_HLAV";
constexpr char kIgnitionSection[] = "IGNITION";
constexpr char kIgnAllKey[] = "CheckBoxIgnAll->Checked";
constexpr char kReadFirstKey[] = "MenuReadBeforeProgramming->Checked";
constexpr char kPortsSection[] = "PORTS";

// A settings file is a few hundred bytes; the cap only keeps a stray huge file
// from being loaded whole at start-up.
constexpr qint64 kMaxSettingsBytes = kMaxSettingsFileBytes;

// Line breaks: an existing file keeps the ones it has (a file written on
// Windows has CR LF, one edited on Linux may have LF), since the file is
// edited line by line rather than re-serialised. A new file gets the
// platform's own: LF here, CR LF on Windows, as its editors expect.
#ifdef Q_OS_WIN
constexpr char kFreshLineBreak[] = "\r\n";
#else
constexpr char kFreshLineBreak[] = "\n";
#endif

// Decimal, or hexadecimal after "0x" or "$"; an optional sign in front of
// either; the whole value must be the number, and it must fit an int.
std::optional<int> parseInteger(QByteArrayView text)
{
    qsizetype p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        negative = text[p] == '-';
        ++p;
    }
    int base = 10;
    if (p < text.size() && text[p] == '$') {
        base = 16;
        ++p;
    } else if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p == text.size())
        return std::nullopt;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; p < text.size(); ++p) {
        const char c = text[p];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// Texts are 8-bit in the file: the locale's encoding, which is UTF-8 here and
// the ANSI code page on Windows, as the original files have it.
QString decodeText(const char *value)
{
    QString text = QString::fromLocal8Bit(value);
    if (text.size() > kMaxSettingsText) {
        text.truncate(kMaxSettingsText);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

QByteArray encodeText(const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == '\0') {
            bytes.truncate(i);
            break;
        }
    }
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && (bytes[begin] == ' ' || bytes[begin] == '\t'))
        ++begin;
    while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t'))
        --end;
    return bytes.mid(begin, end - begin);
}

// A key given twice counts the first time: SimpleIni in multi-key mode hands
// out the first value.
bool loadIni(CSimpleIniA &ini, const QByteArray &data)
{
    ini.SetMultiKey(true);
    return ini.LoadData(data.constData(), static_cast<size_t>(data.size())) >= 0;
}

// The settings file, as far as a settings file may go, loaded into ini.
// SimpleIni keeps its own copy of the text.
bool loadSettingsFile(const QString &iniPath, CSimpleIniA &ini, QString *reason = nullptr)
{
    QByteArray data;
    return readFileStart(iniPath, kMaxSettingsBytes, data, nullptr, reason) && loadIni(ini, data);
}

bool readsBack(const QByteArray &text, const std::vector<IniValue> &values)
{
    CSimpleIniA ini;
    if (!loadIni(ini, text))
        return false;
    for (const IniValue &v : values) {
        const char *stored = ini.GetValue(v.section.constData(), v.key.constData(), nullptr);
        if (stored == nullptr || v.value != QByteArrayView(stored, qsizetype(std::strlen(stored))))
            return false;
    }
    return true;
}

std::vector<IniValue> valuesOf(const StoredSettings &s)
{
    const auto number = [](int n) { return QByteArray::number(n); };
    return {
        {kFormSection, "Left", number(s.left)},
        {kFormSection, "Top", number(s.top)},
        {kFormSection, "Height", number(s.height)},
        {kFormSection, "Width", number(s.width)},
        {kFormSection, "ComPort", number(s.comPort)},
        {kFormSection, "Language", number(s.language)},
        {kFormSection, "File", encodeText(s.file)},
        {kFormSection, "IniDir", encodeText(s.iniDir)},
        {kIgnitionSection, kIgnAllKey, s.ignAll ? "1" : "0"},
        {kIgnitionSection, kReadFirstKey, s.readBeforeProgramming ? "1" : "0"},
    };
}

} // namespace

StoredSettings readSettings(const QString &iniPath, const StoredSettings &defaults, QString *reason)
{
    StoredSettings s = defaults;
    CSimpleIniA ini;
    if (!loadSettingsFile(iniPath, ini, reason))
        return s;

    const auto integer = [&ini](const char *section, const char *key, int fallback) {
        const char *value = ini.GetValue(section, key, nullptr);
        if (value == nullptr)
            return fallback;
        return parseInteger(value).value_or(fallback);
    };
    const auto text = [&ini](const char *key, const QString &fallback) {
        const char *value = ini.GetValue(kFormSection, key, nullptr);
        return value == nullptr ? fallback : decodeText(value);
    };

    s.left = integer(kFormSection, "Left", defaults.left);
    s.top = integer(kFormSection, "Top", defaults.top);
    s.height = integer(kFormSection, "Height", defaults.height);
    s.width = integer(kFormSection, "Width", defaults.width);
    s.comPort = static_cast<std::uint8_t>(integer(kFormSection, "ComPort", defaults.comPort));
    s.language = static_cast<std::uint8_t>(integer(kFormSection, "Language", defaults.language));
    s.file = text("File", defaults.file);
    s.iniDir = text("IniDir", defaults.iniDir);
    s.ignAll = integer(kIgnitionSection, kIgnAllKey, defaults.ignAll ? 1 : 0) != 0;
    s.readBeforeProgramming = integer(kIgnitionSection, kReadFirstKey, defaults.readBeforeProgramming ? 1 : 0) != 0;
    return s;
}

namespace {

// Why the line editor cannot keep the text as it is, or nothing. It works on
// bytes and lines of an 8-bit text, in any code page (UTF-8 or Windows-1250
// alike) and with any mix of CR, LF and CR LF, and what it writes is read back
// before it is saved. Text it cannot see whole is a NUL byte (every reader
// stops there) and text in 16 or 32-bit units, which it would cut into bytes.
QString notEditable(const QByteArray &text)
{
    for (const QByteArrayView bom : {QByteArrayView("\xFF\xFE"), QByteArrayView("\xFE\xFF"),
                                     QByteArrayView("\x00\x00\xFE\xFF", 4)}) {
        if (text.startsWith(bom))
            return QStringLiteral("is UTF-16 or UTF-32 text");
    }
    if (text.contains('\0'))
        return QStringLiteral("holds NUL bytes");
    return {};
}

// Writes the given values into the file, keeping every other line as it is.
bool writeIniValues(const QString &iniPath, const std::vector<IniValue> &stored, QString *reason)
{
    QByteArray text;
    if (QFileInfo::exists(iniPath)) {
        bool tooLarge = false;
        QString why;
        if (!readFileStart(iniPath, kMaxSettingsBytes, text, &tooLarge, &why)) {
            // The reason names the file; it is gone only if the file went meanwhile.
            if (why.isEmpty())
                setFileReason(&why, iniPath, QStringLiteral("cannot be read"));
            if (reason != nullptr)
                *reason = why + QStringLiteral("; left as it is");
            return false;
        }
        if (tooLarge) {
            setFileReason(reason, iniPath, QStringLiteral("is larger than 1 MiB, not a settings file; left as it is"));
            return false;
        }
        if (const QString problem = notEditable(text); !problem.isEmpty()) {
            setFileReason(reason, iniPath, problem + QStringLiteral(", which the tool cannot edit without losing "
                                                                    "some of it; left as it is"));
            return false;
        }
    }

    // SimpleIni's own writer is not used: it re-spaces every section, drops a
    // comment at the end of the file and all but one of equal keys, trims
    // values and joins duplicate sections, where the user's file must keep
    // its bytes. The edited text is checked with SimpleIni instead: should a
    // line ever be placed differently from the way the reader places it, the
    // file is left alone rather than saved with values that do not read back.
    const QByteArray updated = setIniValues(text, stored, kFreshLineBreak);
    if (!readsBack(updated, stored)) {
        setFileReason(reason, iniPath, QStringLiteral("cannot be updated; left as it is"));
        return false;
    }
    return saveWholeFile(iniPath, updated, reason);
}

} // namespace

bool writeSettings(const QString &iniPath, const StoredSettings &values, QString *reason)
{
    return writeIniValues(iniPath, valuesOf(values), reason);
}

PortsSection readPortsSection(const QString &iniPath)
{
    PortsSection ports;
    CSimpleIniA ini;
    if (iniPath.isEmpty() || !loadSettingsFile(iniPath, ini))
        return ports;
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(kPortsSection, keys);
    ports.anyKey = !keys.empty();
    for (int n = 1; n <= PortsSection::kComCount; ++n) {
        const QByteArray key = "COM" + QByteArray::number(n);
        if (const char *value = ini.GetValue(kPortsSection, key.constData(), nullptr))
            ports.values[n - 1] = QFile::decodeName(value).trimmed();
    }
    return ports;
}

bool writePortMapping(const QString &iniPath, int comNumber, const QString &device, QString *reason)
{
    if (comNumber < 1 || comNumber > PortsSection::kComCount || device.isEmpty() || device.contains(QLatin1Char('\n'))
        || device.contains(QLatin1Char('\r'))) {
        if (reason)
            *reason = QStringLiteral("COM%1 cannot be mapped to \"%2\"").arg(comNumber).arg(device);
        return false;
    }
    return writeIniValues(iniPath,
                          {IniValue{kPortsSection, "COM" + QByteArray::number(comNumber),
                                    QFile::encodeName(device.trimmed())}},
                          reason);
}

namespace {
constexpr int kFarestPlace = 1 << 24;
} // namespace

QRect readWindowPlace(const QString &iniPath, const char *section, const QRect &defaults)
{
    CSimpleIniA ini;
    if (!loadSettingsFile(iniPath, ini))
        return defaults;
    const auto integer = [&](const char *key, int fallback) {
        const char *value = ini.GetValue(section, key, nullptr);
        return value == nullptr ? fallback : parseInteger(value).value_or(fallback);
    };
    // Held within what any desktop measures, so that no sum of them overflows.
    const auto bounded = [](int v, int low) { return std::clamp(v, low, kFarestPlace); };
    return QRect(bounded(integer("Left", defaults.left()), -kFarestPlace), bounded(integer("Top", defaults.top()), -kFarestPlace),
                 bounded(integer("Width", defaults.width()), 0), bounded(integer("Height", defaults.height()), 0));
}

bool writeWindowPlace(const QString &iniPath, const char *section, const QRect &place, QString *reason)
{
    const QByteArray name(section);
    return writeIniValues(iniPath,
                          {{name, "Left", QByteArray::number(place.left())},
                           {name, "Top", QByteArray::number(place.top())},
                           {name, "Width", QByteArray::number(place.width())},
                           {name, "Height", QByteArray::number(place.height())}},
                          reason);
}

namespace {
constexpr char kRecentSection[] = "RECENT";

QByteArray recentKey(int n)
{
    return "File" + QByteArray::number(n);
}
} // namespace

QStringList withRecentFile(const QStringList &recent, const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list{absolute};
    for (const QString &file : recent) {
        if (list.size() == kMaxRecentFiles)
            break;
        if (!file.isEmpty() && !list.contains(QFileInfo(file).absoluteFilePath()))
            list.append(QFileInfo(file).absoluteFilePath());
    }
    return list;
}

QStringList readRecentFiles(const QString &iniPath)
{
    QStringList recent;
    CSimpleIniA ini;
    if (iniPath.isEmpty() || !loadSettingsFile(iniPath, ini))
        return recent;
    for (int n = kMaxRecentFiles; n >= 1; --n) {
        const char *value = ini.GetValue(kRecentSection, recentKey(n).constData(), nullptr);
        const QString file = value == nullptr ? QString() : decodeText(value).trimmed();
        if (!file.isEmpty())
            recent = withRecentFile(recent, file);
    }
    return recent;
}

bool writeRecentFiles(const QString &iniPath, const QStringList &recent, QString *reason)
{
    std::vector<IniValue> values;
    for (int n = 1; n <= kMaxRecentFiles; ++n)
        values.push_back({kRecentSection, recentKey(n), encodeText(recent.value(n - 1))});
    return writeIniValues(iniPath, values, reason);
}
