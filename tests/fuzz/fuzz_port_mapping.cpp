// The [PORTS] section of Torvo_TCI.ini maps COM numbers to devices: edited by
// hand, read whenever a port opens, written when the technician picks a device
// in the chooser. The first byte picks the COM number (0 and 11 are outside
// 1..10), the second the length of the device's name that follows; the rest
// is the file. Whatever the file holds, a mapping the chooser writes reads
// back as that device, and nothing else the file says changes: not the other
// COM numbers (two of them are watched in each run), not the window's settings. A refused write leaves the file
// as it was and says why.
#include "fuzzcheck.h"
#include "link/portnames.h"
#include "settings/settingsfile.h"

#include <QFile>

#include <array>
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

// A device the chooser could offer: a path under /dev whose name may hold
// anything printable, blanks and non-ASCII letters included.
QString deviceFrom(QByteArrayView bytes)
{
    QString name = QString::fromUtf8(bytes);
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('_');
    }
    return QStringLiteral("/dev/") + name;
}

// The device COM n opens, as the session finds it.
QString deviceOf(int com, const QString &path)
{
    return portDeviceName(com, readPortsSection(path).value(com));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    scratch = std::make_unique<ScratchFolder>();
    return scratch->valid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int com = data[0] % 12;
    const std::size_t nameLength = std::min<std::size_t>(data[1] % 64, size - 2);
    const QString device = deviceFrom(QByteArrayView(data + 2, static_cast<qsizetype>(nameLength)));
    const QByteArray text(reinterpret_cast<const char *>(data + 2 + nameLength),
                          static_cast<qsizetype>(size - 2 - nameLength));
    const QString path = scratch->path(QStringLiteral("Torvo_TCI.ini"));
    if (!writeScratchFile(path, text))
        fuzzFail("cannot write the scratch file");

    // Two other numbers watched for change, one beside the one mapped and one
    // picked by the file's size: every reading of the file costs a run.
    const std::array<int, 2> others{com % kLastPort + 1, static_cast<int>(text.size() % kLastPort) + 1};
    std::array<QString, 2> before;
    for (std::size_t i = 0; i < others.size(); ++i)
        before[i] = deviceOf(others[i], path);
    const StoredSettings settingsBefore = readSettings(path, StoredSettings{});

    QString reason;
    const QByteArray detail = "COM" + QByteArray::number(com) + " = [" + device.toUtf8() + "]\nfile:\n" + text;
    if (!writePortMapping(path, com, device, &reason)) {
        fuzzRequire(!reason.isEmpty(), "a refused mapping gave no reason", detail);
        fuzzRequire(fileBytes(path) == text, "a refused mapping changed the file", detail);
        return 0;
    }
    fuzzRequire(com >= kFirstPort && com <= kLastPort, "a COM number outside 1..10 was mapped", detail);
    const QByteArray after = "\nnow:\n" + fileBytes(path);
    fuzzRequire(deviceOf(com, path) == device.trimmed(), "the mapping did not read back",
                detail + "\nread [" + deviceOf(com, path).toUtf8() + "]" + after);
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (others[i] != com)
            fuzzRequire(deviceOf(others[i], path) == before[i], "another COM number changed its device",
                        detail + "\nCOM" + QByteArray::number(others[i]) + after);
    }
    fuzzRequire(readSettings(path, StoredSettings{}) == settingsBefore, "the window's settings changed",
                detail + after);
    return 0;
}
