#pragma once

// What torvo-tci-cli returns; scripts on the workshop bench depend on these.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitPort = 2,        // the port cannot be opened
    kExitDiffers = 3,     // the unit's set differs from the file
    kExitNoAnswer = 4,    // no answer after the step's sendings
    kExitVersion = 5,     // the unit speaks another protocol version
    kExitFile = 6,        // a file cannot be read or written
};
