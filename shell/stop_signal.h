// SIGINT and SIGTERM as a request to end the run after the frame in progress.
#pragma once

// Installs the handlers (headless runs; SDL turns the signals into close requests itself).
void installStopSignals();
bool stopRequested();
// Sets or clears the request, as the handler would (tests).
void setStopRequested(bool requested);
