#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

// A throw-away folder per test, with the few file chores the tests share.
class Scratch
{
public:
    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString file = path(name);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
        return file;
    }

    // The file as a std::string, so a failing comparison prints it escaped.
    static std::string read(const QString &file)
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return "<cannot be opened>";
        const QByteArray bytes = in.readAll();
        return bytes.toStdString();
    }

private:
    QTemporaryDir dir;
};
