// What the positional reading and the reading by keywords share: the file's lines, the stop and
// its message, the bound on the number of objects, and the progress messages.
#pragma once

#include <string>

#include "ase/format.h"
#include "ase/line_source.h"
#include "ase/reader.h"

class ReadSession {
  public:
    ReadSession(Scene& scene, LineSource& lines, const char* fileName, ReadReport& report)
        : scene_(scene), lines_(lines), fileName_(fileName), report_(report) {}

    // Runs `read` to the end of the file or to a stop. Fills report.complete, and on a stop
    // report.line and report.error; progress messages go to report.messages.
    template <class Read>
    void run(Read read) {
        try {
            read();
            report_.complete = true;
        } catch (const Stopped&) {
            report_.complete = false;
            report_.line = lines_.lineNumber();
        }
    }

  protected:
    struct Stopped {};

    // The read ends here, at the last line taken.
    [[noreturn]] void fail(const std::string& what);
    [[noreturn]] void stop(const std::string& expected, const std::string& found) {
        fail(": expected " + expected + ", found " + found);
    }
    // The next line inside the block named `what`; the end of the file stops the read.
    const char* lineOf(const char* what);
    // A new node record at the end of `nodes`, without a parent until a parent line names one;
    // a scene holding kMaxSceneObjects of them already stops the read.
    template <class Node>
    Node& newNode(std::vector<Node>& nodes, const char* what) {
        checkRoomFor(nodes.size(), what);
        Node& node = nodes.emplace_back();
        node.parentName.assign(kNoParent);
        return node;
    }
    // The first line: the keyword line that makes the file a scene file, with its version.
    void readHeaderLine();
    // A line that closes or opens a block.
    static bool isStructural(const char* line) {
        return firstToken(line) == "}" || opensBlock(line);
    }

    void objectDone() { done(objectsRead_, " Object Compelete!!"); }
    void lightDone() { done(lightsRead_, " Light Compelete!!"); }
    void cameraDone() { done(camerasRead_, " Camera Compelete!!"); }
    // The end of the file: the last progress message and the end-of-reading step.
    void finishRead();

    Scene& scene_;
    LineSource& lines_;
    const char* fileName_;
    ReadReport& report_;

  private:
    void checkRoomFor(std::size_t count, const char* what);
    void done(int& read, const char* what) {
        report_.messages.progress(std::to_string(++read) + what);
    }

    int objectsRead_ = 0;
    int lightsRead_ = 0;
    int camerasRead_ = 0;
};
