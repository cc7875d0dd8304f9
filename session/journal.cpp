#include "session/journal.h"

#include "params/fields.h"
#include "params/parameterfile.h"
#include "params/regularfile.h"
#include "params/setdiff.h"
#include "settings/settingspaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kColumns = 7;
constexpr char kHeader[] = "time,operation,result,firmware,counter,file,differing\n";

// Bigger than any journal a workshop writes in its life (a row is about a
// hundred bytes): a file beyond it is not read, rather than filling memory.
constexpr qint64 kMaxIndexBytes = qint64(256) << 20;

QString describe(const QString &path, const QString &why)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
}

// A field as CSV needs it: quoted when it holds a comma, a quote or a line
// break, with its quotes doubled.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

} // namespace

QString journalTimeText(const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc() / 60;
    const int minutes = offset < 0 ? -offset : offset;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
           + QStringLiteral("%1%2:%3")
                 .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                 .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                 .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

namespace {

QByteArray csvRow(const JournalEntry &e)
{
    const QStringList fields{journalTimeText(e.time), e.operation, e.result, e.firmware,
                             e.counter,        e.fileName,  QString::number(e.differing)};
    QByteArray row;
    for (const QString &field : fields) {
        if (!row.isEmpty())
            row += ',';
        row += csvField(field);
    }
    return row + '\n';
}

// The rows of a CSV text, each a list of fields. A last row without its line
// end is a write cut short and is left out.
std::vector<QStringList> csvRows(const QByteArray &text)
{
    std::vector<QStringList> rows;
    QStringList fields;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\n') {
            if (field.endsWith('\r'))
                field.chop(1);
            fields << QString::fromUtf8(field);
            field.clear();
            rows.push_back(fields);
            fields.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

// A name the journal could have given: nothing that leads out of its folder.
bool entryFileName(const QString &name)
{
    return name.isEmpty()
           || (name.endsWith(QLatin1String(".ign")) && !name.startsWith(QLatin1Char('.'))
               && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')));
}

std::optional<JournalEntry> entryOf(const QStringList &f)
{
    if (f.size() != kColumns)
        return std::nullopt;
    JournalEntry e;
    e.time = QDateTime::fromString(f[0], Qt::ISODate);
    e.operation = f[1];
    e.result = f[2];
    e.firmware = f[3];
    e.counter = f[4];
    e.fileName = f[5];
    bool number = false;
    e.differing = f[6].toInt(&number);
    const bool known = e.operation == QLatin1String("read") || e.operation == QLatin1String("program")
                       || e.operation == QLatin1String("verify");
    if (!e.time.isValid() || !known || e.result.isEmpty() || !number || e.differing < -1
        || !entryFileName(e.fileName))
        return std::nullopt;
    e.time = e.time.toLocalTime();
    return e;
}

bool readSmallFile(const QString &path, qint64 limit, QByteArray &contents, QString *reason)
{
    QFile file(path);
    if (!openRegularFile(file, QIODevice::ReadOnly, reason))
        return false;
    if (file.size() > limit) {
        if (reason)
            *reason = QStringLiteral("is too big");
        return false;
    }
    contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

// Control characters become spaces, so that every row is one line and the
// newest rows can be found from the end of the file.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return text;
}

// The file name of an entry made at a time: the time first, so that the
// names sort by it, then the operation; a second entry within the same second
// gets _2, _3, ... before the extension.
QString freeFileName(const QDir &dir, const JournalEntry &e)
{
    const QString stem = e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss_")) + e.operation;
    QString name = stem + QLatin1String(".ign");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)) || QFileInfo(dir.filePath(name)).isSymLink(); ++n)
        name = QStringLiteral("%1_%2.ign").arg(stem).arg(n);
    return name;
}

} // namespace

Journal::Journal(QString folder) : folder_(std::move(folder)) {}

QString Journal::defaultFolder()
{
    return QDir(settingspaths::settingsFolder()).filePath(QStringLiteral("journal"));
}

QString Journal::indexPath() const
{
    return QDir(folder_).filePath(QLatin1String(kIndexName));
}

std::optional<JournalEntry> Journal::lastEntryWithFile() const
{
    // From the end, in growing pieces: each row is one line, so the rows after
    // the first line end of a piece are whole (the first may be cut and is
    // left out unless the piece starts the file). A journal of years stays
    // quick to add to this way.
    QFile file(indexPath());
    if (!QFileInfo::exists(indexPath()) || !openRegularFile(file, QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = std::min(file.size(), kMaxIndexBytes);
    for (qint64 piece = 64 * 1024;; piece *= 4) {
        const qint64 from = std::max<qint64>(0, size - piece);
        if (!file.seek(from))
            return std::nullopt;
        QByteArray text = file.read(size - from);
        if (from > 0)
            text.remove(0, text.indexOf('\n') + 1);
        const std::vector<QStringList> rows = csvRows(text);
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            const std::optional<JournalEntry> e = entryOf(*row);
            if (e && !e->fileName.isEmpty())
                return e;
        }
        if (from == 0)
            return std::nullopt;
    }
}

std::vector<JournalEntry> Journal::entries() const
{
    QByteArray text;
    if (!QFileInfo::exists(indexPath()) || !readSmallFile(indexPath(), kMaxIndexBytes, text, nullptr))
        return {};
    std::vector<JournalEntry> list;
    for (const QStringList &row : csvRows(text))
        if (const std::optional<JournalEntry> e = entryOf(row))
            list.push_back(*e);
    return list;
}

QString Journal::filePath(const JournalEntry &entry) const
{
    if (entry.fileName.isEmpty() || !entryFileName(entry.fileName))
        return {};
    return QDir(folder_).filePath(entry.fileName);
}

Journal::Cut Journal::cut(Step step) const
{
    return stepHook ? stepHook(step) : Cut::None;
}

std::optional<JournalEntry> Journal::keep(JournalEntry entry, const ParameterImage *set, QString *reason)
{
    const auto fail = [&](const QString &why) -> std::optional<JournalEntry> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    const QString killed = QStringLiteral("cut short");
    const QString refused = QStringLiteral("the write failed");

    if (const Cut c = cut(Step::Folder); c != Cut::None)
        return fail(c == Cut::Kill ? killed : describe(folder_, refused));
    const QFileInfo folderInfo(folder_);
    if (folderInfo.exists() && !folderInfo.isDir())
        return fail(describe(folder_, QStringLiteral("is no folder")));
    if (!QDir().mkpath(folder_))
        return fail(describe(folder_, QStringLiteral("cannot be made")));
    const QDir dir(folder_);
    const QString index = indexPath();
    QString why;
    if (!isRegularOrMissing(index, &why))
        return fail(describe(index, why));

    // The row holds whole seconds; the entry returned is the one read back.
    entry.time = QDateTime::fromSecsSinceEpoch(entry.time.toSecsSinceEpoch());
    entry.operation = oneLine(entry.operation);
    entry.result = oneLine(entry.result);
    entry.firmware = oneLine(entry.firmware);
    entry.counter = oneLine(entry.counter);
    entry.fileName.clear();
    entry.differing = -1;
    QString newFile; // the file this entry wrote, to take back if its row fails
    if (set) {
        // Exactly what Save writes for this set: bounded as the controls show
        // it, with its curve normalised.
        ParameterImage kept = boundedToControls(*set);
        kept.normaliseCurve();
        const QByteArray text = parameterFileText(kept);
        const std::optional<JournalEntry> previous = lastEntryWithFile();
        QByteArray previousText;
        if (previous
            && readSmallFile(filePath(*previous), kMaxParameterFileBytes, previousText, nullptr)) {
            ParameterImage previousSet = kept;
            if (previousText == text) {
                entry.fileName = previous->fileName;
                entry.differing = 0;
            } else if (readParameterText(previousText, previousSet)) {
                entry.differing = static_cast<int>(setDifferences(previousSet, kept).size());
            }
        }
        if (entry.fileName.isEmpty()) {
            entry.fileName = freeFileName(dir, entry);
            if (const Cut c = cut(Step::File); c != Cut::None)
                return fail(c == Cut::Kill ? killed : describe(dir.filePath(entry.fileName), refused));
            if (!saveParameterFile(dir.filePath(entry.fileName), kept, &why))
                return fail(describe(dir.filePath(entry.fileName), why));
            newFile = dir.filePath(entry.fileName);
        }
    }

    const auto takeBack = [&](const QString &what) {
        if (!newFile.isEmpty())
            QFile::remove(newFile);
        return fail(what);
    };
    if (const Cut c = cut(Step::Row); c != Cut::None)
        return c == Cut::Kill ? fail(killed) : takeBack(describe(index, refused));

    QFile file(index);
    if (!openRegularFile(file, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered, &why))
        return takeBack(describe(index, why));
    const qint64 before = file.size();
    QByteArray bytes;
    if (before == 0) {
        bytes = kHeader;
    } else if (file.seek(before - 1)) {
        // A row cut short earlier stays a partial row: this one starts afresh.
        char last = '\n';
        if (file.getChar(&last) && last != '\n')
            bytes = "\n";
    }
    bytes += csvRow(entry);

    const auto restore = [&](const QString &what) {
        file.resize(before);
        return takeBack(what);
    };
    if (const Cut c = cut(Step::HalfRow); c != Cut::None) {
        file.write(bytes.left(bytes.size() / 2));
        return c == Cut::Kill ? fail(killed) : restore(describe(index, refused));
    }
    if (file.write(bytes) != bytes.size())
        return restore(describe(index, file.errorString()));
    return entry;
}

QString journalFirmware(const IdentityTexts &texts)
{
    QStringList parts;
    for (const QString &part : {texts.versionText, texts.dateText, texts.timeText})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    return parts.join(QLatin1Char(' '));
}

QString journalResult(bool succeeded, TransferFailure why)
{
    if (succeeded)
        return QStringLiteral("ok");
    switch (why) {
    case TransferFailure::Differed:
        return QStringLiteral("differs");
    case TransferFailure::BadCheck:
        return QStringLiteral("garbled");
    case TransferFailure::Version:
        return QStringLiteral("version");
    case TransferFailure::None:
    case TransferFailure::NoReply:
        break;
    }
    return QStringLiteral("no reply");
}
