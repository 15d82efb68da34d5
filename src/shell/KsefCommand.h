#pragma once
// `jadlonia --pobierz-ksef`: the fetch from KSeF without windows, for a daily
// timer. One Polish line per invoice stored and a total on standard output,
// errors on standard error; exit 0 on success, 1 on failure.

namespace jadl {

// True when the arguments ask for a command-line mode this unit runs.
bool isKsefCommand(int argc, char** argv);
int runKsefCommand(int argc, char** argv);

} // namespace jadl
