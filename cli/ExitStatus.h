#pragma once

// What rozaro-cli tells the batch job that ran it.
enum ExitStatus {
    ExitOk = 0,
    // The declaration or one of its rows was refused, a question was answered
    // "Όχι", or an error stopped the work on it.
    ExitRefused = 1,
    // Wrong usage, or a file that could not be read or written; also a file
    // put in place whose folder could not be synced (the message says so).
    ExitFailed = 2,
};
