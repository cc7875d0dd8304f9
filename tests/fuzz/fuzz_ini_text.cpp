// The line editor behind every write into Torvo_TCI.ini, on its own and in
// memory. The first byte gives the number of values (1..4); each then takes
// three bytes (section, key, length of its value) and the value's bytes; the
// rest is the text. Sections and keys are those the tool writes. Whatever the
// text, the edited text must read back (with the reader the tool uses) as
// the values given, everything else must read as before, no line the tool
// does not own may be lost, and editing again must change nothing.
#include "fuzzcheck.h"
#include "settings/initext.h"

#include <SimpleIni.h>

#include <QList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <list>
#include <map>

namespace {

constexpr std::array kSections{"FORM_HLAV", "IGNITION", "PORTS", "CHART", "form_hlav", "Ports"};
constexpr std::array kKeys{"Left",   "Top",  "Height", "Width", "ComPort",   "Language",
                           "File",   "IniDir", "COM1", "COM10", "CheckBoxIgnAll->Checked", "left"};

bool load(CSimpleIniA &ini, const QByteArray &text)
{
    ini.SetMultiKey(true);
    return ini.LoadData(text.constData(), static_cast<size_t>(text.size())) >= 0;
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The lines of a text without their line breaks (CR LF, LF or CR).
QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines;
    qsizetype begin = 0;
    for (qsizetype p = 0; p < text.size(); ++p) {
        if (text[p] != '\n' && text[p] != '\r')
            continue;
        lines << text.mid(begin, p - begin);
        if (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n')
            ++p;
        begin = p + 1;
    }
    if (begin < text.size())
        lines << text.mid(begin);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::size_t at = 1;
    std::vector<IniValue> values;
    for (int i = 0; i < 1 + data[0] % 4 && at + 3 <= size; ++i) {
        IniValue v;
        v.section = kSections[data[at] % kSections.size()];
        v.key = kKeys[data[at + 1] % kKeys.size()];
        const std::size_t length = std::min<std::size_t>(data[at + 2] % 32, size - at - 3);
        v.value = QByteArray(reinterpret_cast<const char *>(data + at + 3), static_cast<qsizetype>(length));
        at += 3 + length;
        // What the callers hand over: one line, no NUL, no blanks at either end.
        for (char &c : v.value) {
            if (c == '\n' || c == '\r' || c == '\0')
                c = '_';
        }
        v.value = v.value.trimmed();
        while (!v.value.isEmpty() && std::strchr(" \t\v\f", v.value.back()) != nullptr)
            v.value.chop(1);
        // A key is given once; the tool never hands the same one twice.
        bool twice = false;
        for (const IniValue &w : values)
            twice = twice || (sameName(w.section, v.section) && sameName(w.key, v.key));
        if (!twice)
            values.push_back(v);
    }
    QByteArray text(reinterpret_cast<const char *>(data + at), static_cast<qsizetype>(size - at));
    // Nothing after a NUL is ever looked at; the caller cuts it off.
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text.truncate(nul);

    QByteArray given;
    for (const IniValue &v : values)
        given += "[" + v.section + "] " + v.key + " = [" + v.value + "]\n";
    const QByteArray edited = setIniValues(text, values, "\n");
    const QByteArray detail = given + "text:\n" + text + "\nedited:\n" + edited;

    CSimpleIniA readBefore;
    CSimpleIniA readAfter;
    fuzzRequire(load(readBefore, text) == load(readAfter, edited), "the edit changed whether the text can be read",
                detail);
    for (const IniValue &v : values) {
        const char *stored = readAfter.GetValue(v.section.constData(), v.key.constData(), nullptr);
        fuzzRequire(stored != nullptr && v.value == stored, "a value does not read back", detail);
    }
    // Everything else reads as it did.
    CSimpleIniA::TNamesDepend sections;
    readBefore.GetAllSections(sections);
    for (const auto &section : sections) {
        CSimpleIniA::TNamesDepend keys;
        readBefore.GetAllKeys(section.pItem, keys);
        for (const auto &key : keys) {
            bool owned = false;
            for (const IniValue &v : values)
                owned = owned || (sameName(v.section, section.pItem) && sameName(v.key, key.pItem));
            if (owned)
                continue;
            const char *was = readBefore.GetValue(section.pItem, key.pItem, nullptr);
            const char *now = readAfter.GetValue(section.pItem, key.pItem, nullptr);
            fuzzRequire(now != nullptr && std::strcmp(was, now) == 0, "a value the tool does not own changed",
                        detail + "\nkey [" + section.pItem + "] " + key.pItem);
        }
    }
    // A byte-order mark stays first; every line that names none of the keys
    // written is still there, in its order; lines holding no more than a "["
    // may go (see setIniValues).
    const QByteArray bom("\xEF\xBB\xBF");
    fuzzRequire(text.startsWith(bom) == edited.startsWith(bom), "the byte-order mark came or went", detail);
    const QList<QByteArray> after = linesOf(edited.startsWith(bom) ? edited.mid(3) : edited);
    qsizetype found = 0;
    for (const QByteArray &line : linesOf(text.startsWith(bom) ? text.mid(3) : text)) {
        bool names = line.trimmed().isEmpty() || line.trimmed() == "[";
        for (const IniValue &v : values)
            names = names || line.contains(v.key) || line.toLower().contains(v.key.toLower());
        if (names)
            continue;
        while (found < after.size() && after[found] != line)
            ++found;
        fuzzRequire(found < after.size(), "a line the tool does not own was lost", detail + "\nline: " + line);
        ++found;
    }
    fuzzRequire(setIniValues(edited, values, "\n") == edited, "editing again changed the text", detail);
    return 0;
}
