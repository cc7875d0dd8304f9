#include "settings/initext.h"

#include <QByteArrayView>

#include <cstddef>
#include <utility>

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

enum class LineKind { Other, Section, BrokenSection, Key };

// Offsets into the text. A line runs from begin to end; its line break (CR LF,
// LF or a lone CR, all three as the reader takes them) runs from end to next.
struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    LineKind kind = LineKind::Other;
    QByteArrayView name; // section or key name, white space around it removed
    qsizetype valueBegin = 0;
    qsizetype valueEnd = 0;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Section and key names compare as the reader compares them: ASCII letters
// without case, every other byte as it is.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The name of a header runs from `from` to the first "]" of the line. Without
// one the reader does not skip the line: it keeps the broken name as the
// section of the keys that follow, up to the next header, and no lookup ever
// finds them.
void classifyHeader(const QByteArray &text, Line &line, qsizetype from)
{
    qsizetype close = from;
    while (close < line.end && text[close] != ']')
        ++close;
    if (close == line.end) {
        line.kind = LineKind::BrokenSection;
        return;
    }
    qsizetype nameEnd = close;
    while (nameEnd > from && isBlank(text[nameEnd - 1]))
        --nameEnd;
    line.kind = LineKind::Section;
    line.name = QByteArrayView(text).sliced(from, nameEnd - from);
}

// bracketOpen carries a "[" with nothing after it on its line: the reader
// skips white space after "[" across line breaks, so the next line that is
// not blank holds the rest of that header, whatever it starts with.
void classify(const QByteArray &text, Line &line, bool &bracketOpen)
{
    qsizetype p = line.begin;
    while (p < line.end && isBlank(text[p]))
        ++p;
    if (bracketOpen) {
        if (p == line.end)
            return;
        bracketOpen = false;
        classifyHeader(text, line, p);
        return;
    }
    if (p == line.end || text[p] == ';' || text[p] == '#')
        return;
    if (text[p] == '[') {
        qsizetype nameBegin = p + 1;
        while (nameBegin < line.end && isBlank(text[nameBegin]))
            ++nameBegin;
        if (nameBegin == line.end)
            bracketOpen = true;
        else
            classifyHeader(text, line, nameBegin);
        return;
    }
    qsizetype equals = p;
    while (equals < line.end && text[equals] != '=')
        ++equals;
    if (equals == line.end || equals == p)
        return; // no "=" or no key: the reader skips the line
    qsizetype keyEnd = equals;
    while (keyEnd > p && isBlank(text[keyEnd - 1]))
        --keyEnd;
    line.kind = LineKind::Key;
    line.name = QByteArrayView(text).sliced(p, keyEnd - p);
    line.valueBegin = equals + 1;
    while (line.valueBegin < line.end && isBlank(text[line.valueBegin]))
        ++line.valueBegin;
    line.valueEnd = line.end;
    while (line.valueEnd > line.valueBegin && isBlank(text[line.valueEnd - 1]))
        --line.valueEnd;
}

// The lines of the text; *openBracket is the index of a "[" that no header
// name follows before the end of the text, or -1.
std::vector<Line> splitLines(const QByteArray &text, qsizetype start, std::ptrdiff_t *openBracket)
{
    std::vector<Line> lines;
    bool bracketOpen = false;
    *openBracket = -1;
    qsizetype p = start;
    while (p < text.size()) {
        Line line;
        line.begin = p;
        while (p < text.size() && text[p] != '\n' && text[p] != '\r')
            ++p;
        line.end = p;
        if (p < text.size())
            p += (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ? 2 : 1;
        line.next = p;
        const bool wasOpen = bracketOpen;
        classify(text, line, bracketOpen);
        if (bracketOpen && !wasOpen)
            *openBracket = static_cast<std::ptrdiff_t>(lines.size());
        lines.push_back(line);
    }
    if (!bracketOpen)
        *openBracket = -1;
    return lines;
}

bool isHeader(const Line &line)
{
    return line.kind == LineKind::Section || line.kind == LineKind::BrokenSection;
}

void endLine(QByteArray &out, qsizetype start, const QByteArray &lineBreak)
{
    if (out.size() > start && !out.endsWith('\n') && !out.endsWith('\r'))
        out += lineBreak;
}

QByteArray keyLine(const IniValue &v, const QByteArray &lineBreak)
{
    return v.key + '=' + v.value + lineBreak;
}

enum class Action { Keep, SetValue };

} // namespace

QByteArray setIniValues(const QByteArray &text, const std::vector<IniValue> &values,
                        const QByteArray &freshLineBreak)
{
    const bool bom = text.startsWith(kUtf8Bom);
    std::ptrdiff_t openBracket = -1;
    const std::vector<Line> lines = splitLines(text, bom ? kUtf8Bom.size() : 0, &openBracket);
    const std::size_t count = lines.size();

    QByteArray lineBreak = freshLineBreak;
    for (const Line &line : lines) {
        if (line.next > line.end) {
            lineBreak = text.mid(line.end, line.next - line.end);
            break;
        }
    }

    // The header line each line sits under; -1 for lines before the first header.
    std::vector<std::ptrdiff_t> headerOf(count, -1);
    std::ptrdiff_t header = -1;
    for (std::size_t i = 0; i < count; ++i) {
        if (isHeader(lines[i]))
            header = static_cast<std::ptrdiff_t>(i);
        headerOf[i] = header;
    }
    const auto inSection = [&](std::size_t i, QByteArrayView section) {
        if (headerOf[i] < 0)
            return false;
        const Line &h = lines[static_cast<std::size_t>(headerOf[i])];
        return h.kind == LineKind::Section && sameName(h.name, section);
    };

    std::vector<Action> action(count, Action::Keep);
    std::vector<const QByteArray *> newValue(count, nullptr);
    std::vector<QByteArray> insertAfter(count);
    std::vector<std::pair<QByteArray, QByteArray>> newSections; // name, key lines

    for (const IniValue &v : values) {
        bool found = false;
        for (std::size_t i = 0; i < count; ++i) {
            if (lines[i].kind != LineKind::Key || !sameName(lines[i].name, v.key) || !inSection(i, v.section))
                continue;
            // Only the first is read, and only the first changes; a later
            // one is the user's line and stays as it is.
            action[i] = Action::SetValue;
            newValue[i] = &v.value;
            found = true;
            break;
        }
        if (found)
            continue;

        std::size_t first = 0;
        while (first < count && !(lines[first].kind == LineKind::Section && sameName(lines[first].name, v.section)))
            ++first;
        if (first < count) {
            std::size_t anchor = first;
            for (std::size_t j = first + 1; j < count && !isHeader(lines[j]); ++j) {
                if (lines[j].kind == LineKind::Key)
                    anchor = j;
            }
            insertAfter[anchor] += keyLine(v, lineBreak);
            continue;
        }
        auto section = newSections.begin();
        while (section != newSections.end() && !sameName(section->first, v.section))
            ++section;
        if (section == newSections.end())
            section = newSections.insert(newSections.end(), {v.section, QByteArray()});
        section->second += keyLine(v, lineBreak);
    }

    // A "[" left open at the end would take a section added after it as its
    // own name: a "]" on a line of its own closes it first, as a section
    // without a name, and the user's lines stay.
    const bool closeBracket = openBracket >= 0 && !newSections.empty();

    QByteArray out;
    out.reserve(text.size() + 512);
    if (bom)
        out += kUtf8Bom;
    const qsizetype start = out.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Line &line = lines[i];
        switch (action[i]) {
        case Action::Keep:
            out += QByteArrayView(text).sliced(line.begin, line.next - line.begin);
            break;
        case Action::SetValue:
            out += QByteArrayView(text).sliced(line.begin, line.valueBegin - line.begin);
            out += *newValue[i];
            out += QByteArrayView(text).sliced(line.valueEnd, line.next - line.valueEnd);
            break;
        }
        if (!insertAfter[i].isEmpty()) {
            endLine(out, start, lineBreak);
            out += insertAfter[i];
        }
    }
    if (closeBracket) {
        endLine(out, start, lineBreak);
        out += ']' + lineBreak;
    }
    for (const auto &[name, keys] : newSections) {
        endLine(out, start, lineBreak);
        out += '[' + name + ']' + lineBreak + keys;
    }
    return out;
}
