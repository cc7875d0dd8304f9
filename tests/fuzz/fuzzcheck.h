#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

// What every target shares: a broken invariant aborts with a message, so
// libFuzzer keeps the input as a crash like any sanitizer finding.
[[noreturn]] inline void fuzzFail(const char *what, const QByteArray &detail = {})
{
    std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.constData());
    std::abort();
}

inline void fuzzRequire(bool holds, const char *what, const QByteArray &detail = {})
{
    if (!holds)
        fuzzFail(what, detail);
}

inline QByteArray hexOf(const unsigned char *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)).toHex(' ');
}

// A throw-away folder for the targets that read real files, made once per
// process and removed at exit.
class ScratchFolder
{
public:
    QString path(const QString &name) const { return folder.filePath(name); }
    bool valid() const { return folder.isValid(); }

private:
    QTemporaryDir folder;
};

// Writes the bytes to path, replacing what was there.
bool writeScratchFile(const QString &path, const QByteArray &bytes);
