#pragma once

#include <QByteArrayView>
#include <QString>

// Where a command's results and messages go: the process's standard output
// and standard error, or memory when the commands run inside a test.
class CliOutput
{
public:
    virtual ~CliOutput() = default;

    // Results, on standard output. False when not all of it could be written
    // (a closed pipe, a full disk); reason, when given, says why.
    virtual bool write(QByteArrayView bytes, QString *reason = nullptr) = 0;
    // Messages for the person at the terminal, on standard error: a failure's
    // one line, the bench's prompts under --json.
    virtual void message(QByteArrayView bytes) = 0;
    // Whether results go to a terminal: the storing bar redraws its line there.
    virtual bool isTerminal() const = 0;
};

// The process's own standard output and standard error; results are flushed
// as they are written, so a reader of a pipe sees each row when it comes.
class StdOutput : public CliOutput
{
public:
    bool write(QByteArrayView bytes, QString *reason = nullptr) override;
    void message(QByteArrayView bytes) override;
    bool isTerminal() const override;
};
