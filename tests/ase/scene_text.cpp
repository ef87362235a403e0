#include "scene_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

Lines workedExample() {
    std::ifstream file(ASEPLAY_TEST_DATA "/worked_example.ase", std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    Lines lines;
    std::string text = content.str();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::size_t findLine(const Lines& lines, const std::string& needle, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i].find(needle) != std::string::npos) return i;
    }
    ADD_FAILURE() << "no line holds " << needle;
    return lines.size();
}

std::string joinLines(const Lines& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

std::string writeTempFile(const std::string& content) {
    static std::atomic<int> counter{0};
    // The process id keeps apart the files of test processes that run side by side.
    const std::string path = testing::TempDir() + "aseplay_scene_" + std::to_string(::getpid()) +
                             "_" + std::to_string(counter++) + ".ase";
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

namespace {

std::string linesOfKind(const Messages& messages, bool progress) {
    std::string text;
    for (const Message& message : messages.list) {
        if ((message.kind == MessageKind::progress) == progress) text += messageLine(message);
    }
    return text;
}

}  // namespace

std::string progressLines(const Messages& messages) {
    return linesOfKind(messages, true);
}

std::string problemLines(const Messages& messages) {
    return linesOfKind(messages, false);
}

int readText(const std::string& content, Scene& scene, ReadReport* report, std::string* messages,
             std::string* errors) {
    const std::string path = writeTempFile(content);
    ReadReport local;
    ReadReport& read = report != nullptr ? *report : local;
    const int result = readScene(scene, path.c_str(), &read);
    if (errors != nullptr) *errors = problemLines(read.messages);
    if (messages != nullptr) *messages = progressLines(read.messages);
    std::remove(path.c_str());
    return result;
}
