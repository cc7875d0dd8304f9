#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "link/unitidentity.h"

// Everything the simulated unit can be told on its command line.
struct SimOptions
{
    IdentityFields identity;         // --name --number --date --time --version --long-name
    QByteArray rawName;              // --name-hex: name bytes as they are, over --name
    QString storePath;               // --store: block 1 kept between runs

    // Live data.
    std::optional<int> fixedRpm;     // --rpm: instead of the sweep
    std::optional<int> voltageMv;    // --voltage-mv: instead of about 13.8 V
    bool blocking = false;           // --blocking 1
    bool neutralOn = false;          // --neutral 1: the switch is on (sent as byte 0)
    bool sideStandOn = false;        // --side-stand 1: the switch is on (sent as byte 0)
    bool dataError = false;          // --data-error 1
    int programs = 0;                // --programs: initial programming count

    // Faults.
    bool silent = false;             // never answer
    std::optional<int> silentAfterStoring; // never answer once storing reached this percent
    std::optional<int> liveVersion;  // protocol version in live data only
    bool corruptEcho = false;        // echo of a programmed block with a byte changed
    std::optional<int> wrongByte;    // block byte that differs in every 0xC1 reply
    int delayMs = 0;                 // reply delay
    int dropEvery = 0;               // drop every Nth reply (0: none)
    bool badCheck = false;           // replies with a wrong check byte
    bool split = false;              // each reply in two writes with a pause between
    bool noise = false;              // garbage bytes between replies now and then

    QString logPath;                 // --log: one line per received frame
    bool verbose = false;            // --verbose: the same lines on stderr
};

struct SimOptionsResult
{
    enum class Outcome { Run, Help, Error };
    Outcome outcome = Outcome::Run;
    SimOptions options;
    QString text; // the help text, or what was wrong
};

// arguments[0] is the program name, as in QCoreApplication::arguments().
SimOptionsResult parseSimOptions(const QStringList &arguments);
