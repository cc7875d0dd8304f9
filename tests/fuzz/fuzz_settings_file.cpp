// Torvo_TCI.ini is edited by hand and by the tool. Reading any bytes must give
// values and no crash; writing into the same file must either read back as
// exactly the values written or be refused with a reason, the file untouched.
#include "fuzzcheck.h"
#include "settings/settingsfile.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<ScratchFolder> scratch;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// What a text value turns into on its way through the file: one line of it,
// without blanks or tabs at either end, and no longer than the reader keeps.
QString storedText(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == '\0') {
            bytes.truncate(i);
            break;
        }
    }
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t'))
        bytes.remove(0, 1);
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\t'))
        bytes.chop(1);
    QString stored = QString::fromUtf8(bytes);
    if (stored.size() > kMaxSettingsText) {
        stored.truncate(kMaxSettingsText);
        if (stored.back().isHighSurrogate())
            stored.chop(1);
    }
    return stored;
}

QByteArray describe(const StoredSettings &s)
{
    return QStringLiteral("left=%1 top=%2 height=%3 width=%4 com=%5 lang=%6 all=%7 file=[%8] dir=[%9]")
        .arg(s.left).arg(s.top).arg(s.height).arg(s.width).arg(s.comPort).arg(s.language)
        .arg(s.ignAll).arg(s.file, s.iniDir)
        .toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    scratch = std::make_unique<ScratchFolder>();
    return scratch->valid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = scratch->path(QStringLiteral("Torvo_TCI.ini"));
    if (!writeScratchFile(path, input))
        fuzzFail("cannot write the scratch file");

    StoredSettings defaults;
    defaults.left = -7;
    defaults.top = 123456;
    defaults.file = QStringLiteral("default.ign");
    const StoredSettings read = readSettings(path, defaults);

    // New values that differ from what was read, with texts taken from the
    // file itself so that odd bytes, blanks and line breaks reach the writer.
    StoredSettings values = read;
    values.left = read.left ^ 0x5A5A5A5A;
    values.top = ~read.top;
    values.height = read.height + (read.height < 0 ? 1 : -1);
    values.width = static_cast<int>(static_cast<unsigned>(read.width) * 2654435761u);
    values.comPort = static_cast<std::uint8_t>(read.comPort + 1);
    values.language = static_cast<std::uint8_t>(read.language ^ 0x81);
    values.ignAll = !read.ignAll;
    values.file = read.file + QStringLiteral(" x");
    values.iniDir = QString::fromUtf8(input.left(80));

    QString reason;
    if (!writeSettings(path, values, &reason)) {
        fuzzRequire(!reason.isEmpty(), "a refused write gave no reason");
        fuzzRequire(fileBytes(path) == input, "a refused write changed the file", reason.toUtf8());
        return 0;
    }

    StoredSettings expected = values;
    expected.file = storedText(values.file);
    expected.iniDir = storedText(values.iniDir);
    StoredSettings otherDefaults;
    otherDefaults.left = 99;
    otherDefaults.ignAll = true;
    otherDefaults.iniDir = QStringLiteral("elsewhere");
    const StoredSettings back = readSettings(path, otherDefaults);
    fuzzRequire(back == expected, "the written settings did not read back",
                "expected " + describe(expected) + "\nread     " + describe(back) + "\nfile:\n"
                    + fileBytes(path));
    return 0;
}
