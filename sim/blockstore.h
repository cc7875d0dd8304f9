#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

using ParameterBlock = std::array<std::uint8_t, 50>;

// Block 1 of the simulated unit in a small text file: 50 numbers 0..255,
// ten a line. The file is created by the first program and rewritten by each.
class BlockStore
{
public:
    explicit BlockStore(QString path);

    bool enabled() const { return !path.isEmpty(); }
    // Nothing when there is no file yet; nothing and a problem text when the
    // file cannot be read or does not hold 50 numbers in range.
    std::optional<ParameterBlock> load(QString *problem) const;
    bool save(const ParameterBlock &block, QString *problem) const;

private:
    QString path;
};
