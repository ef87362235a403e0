// The program's modes; each returns the process exit code.
#pragma once

#include <cstdio>

#include "platform/messages.h"
#include "shell/options.h"

// Exit code of a fatal display set-up failure: E_FAIL's low byte, as the process sees it.
constexpr int kDisplaySetupFailed = 5;
constexpr int kRunFailed = 1;

// Where the scene reader's progress messages go: `usual`, or nowhere with --quiet.
inline std::FILE* progressMessages(const Options& options, std::FILE* usual) {
    return options.quiet ? nullptr : usual;
}

// Shows what a library room returned: progress on `progress` (nowhere when null), warnings and
// errors on standard error, each on a line of its own.
inline void showMessages(const Messages& messages, std::FILE* progress) {
    for (const Message& message : messages.list) {
        std::FILE* stream = message.kind == MessageKind::progress ? progress : stderr;
        if (stream != nullptr) std::fputs(messageLine(message).c_str(), stream);
    }
}

int runInfo(const Options& options);
int runExportObj(const Options& options);
// Plays the scene in a window, full screen or headless until closed or --frames is reached.
int runPlayer(const Options& options);
// Renders headless as fast as possible and prints frames/s, frame-time percentiles and peak RSS.
int runBench(const Options& options);
