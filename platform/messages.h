// What a library room has to tell the person running the program: progress, warnings and errors,
// handed back to the caller in the order they arose instead of printed where they arise, so that
// only the caller decides which stream, if any, shows them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class MessageKind : std::uint8_t { progress, warning, error };

struct Message {
    MessageKind kind;
    std::string text;  // without a line end, and without the program's name
};

struct Messages {
    std::vector<Message> list;

    void progress(std::string text) { list.push_back({MessageKind::progress, std::move(text)}); }
    void warning(std::string text) { list.push_back({MessageKind::warning, std::move(text)}); }
    // A problem with a file or another named thing: "name: text".
    void warning(const std::string& name, const std::string& text) { warning(name + ": " + text); }
    void error(std::string text) { list.push_back({MessageKind::error, std::move(text)}); }
    void append(const Messages& more) {
        list.insert(list.end(), more.list.begin(), more.list.end());
    }
    bool empty() const { return list.empty(); }
};

// The line a message takes when shown: progress as it is, a warning or an error after the
// program's name.
inline std::string messageLine(const Message& message) {
    if (message.kind == MessageKind::progress) return message.text + "\n";
    return "aseplay: " + message.text + "\n";
}
