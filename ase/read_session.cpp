#include "ase/read_session.h"

#include "ase/scene_finish.h"

void ReadSession::fail(const std::string& what) {
    report_.error = std::string(fileName_) + ":" + std::to_string(lines_.lineNumber()) + what;
    throw Stopped{};
}

const char* ReadSession::lineOf(const char* what) {
    const char* text = lines_.next();
    if (text == nullptr) stop(std::string("more of ") + what, "the end of the file");
    return text;
}

void ReadSession::checkRoomFor(std::size_t count, const char* what) {
    if (count >= kMaxSceneObjects) {
        fail(": more than " + std::to_string(kMaxSceneObjects) + " " + what);
    }
}

void ReadSession::readHeaderLine() {
    const char* first = lineOf("the file header");
    if (!isAseHeaderLine(first))
        fail(": not an ASE scene file (its first line is no keyword line)");
    parseShort(scene_.sceneInfo.version, first);
}

void ReadSession::finishRead() {
    report_.messages.progress("Read ASE Complete!!");
    finishScene(scene_);
}
