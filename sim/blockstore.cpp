#include "sim/blockstore.h"

#include <QFile>
#include <QSaveFile>

BlockStore::BlockStore(QString filePath)
    : path(std::move(filePath))
{
}

std::optional<ParameterBlock> BlockStore::load(QString *problem) const
{
    if (!enabled() || !QFile::exists(path))
        return std::nullopt;
    QFile file(path);
    // A store holds 50 short numbers; anything much larger is not one.
    constexpr qint64 kMaxSize = 4096;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSize) {
        *problem = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    const QList<QByteArray> words = file.readAll().simplified().split(' ');
    ParameterBlock block{};
    if (words.size() != static_cast<qsizetype>(block.size())) {
        *problem = QStringLiteral("%1 does not hold 50 numbers").arg(path);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < block.size(); ++i) {
        bool ok = false;
        const uint value = words[static_cast<qsizetype>(i)].toUInt(&ok);
        if (!ok || value > 255) {
            *problem = QStringLiteral("%1: number %2 is not 0..255").arg(path).arg(i + 1);
            return std::nullopt;
        }
        block[i] = static_cast<std::uint8_t>(value);
    }
    return block;
}

bool BlockStore::save(const ParameterBlock &block, QString *problem) const
{
    if (!enabled())
        return true;
    QByteArray text;
    for (std::size_t i = 0; i < block.size(); ++i) {
        text += QByteArray::number(block[i]);
        text += (i % 10 == 9) ? '\n' : ' ';
    }
    // Written aside and renamed, so a simulation killed mid-write keeps the old block.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *problem = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
