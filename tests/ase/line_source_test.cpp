#include "ase/line_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// All lines of `content`, read through a buffer of `bufferSize` bytes; the numbers of the lines
// that were cut land in `overlong`.
std::vector<std::string> linesOf(const std::string& content, std::size_t bufferSize = 1 << 20,
                                 std::vector<long>* overlong = nullptr) {
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    LineSource source(file, bufferSize);
    std::vector<std::string> lines;
    while (const char* line = source.next()) {
        lines.emplace_back(line);
        EXPECT_EQ(source.lineNumber(), static_cast<long>(lines.size()));
    }
    EXPECT_EQ(source.next(), nullptr);  // the end stays the end
    if (overlong != nullptr) *overlong = source.overlongLines();
    std::fclose(file);
    return lines;
}

using Strings = std::vector<std::string>;

TEST(LineSource, LineEndsAtLfWithAnOptionalCrBeforeIt) {
    EXPECT_EQ(linesOf("a\r\nb\nc\r\n"), (Strings{"a", "b", "c"}));
    EXPECT_EQ(linesOf("a\rb\r\n"), (Strings{"a\rb"}));  // a lone CR is an ordinary character
    EXPECT_EQ(linesOf("\r\n\n"), (Strings{"", ""}));
}

TEST(LineSource, LastLineWithoutLineEndIsStillALine) {
    EXPECT_EQ(linesOf("a\r\n}"), (Strings{"a", "}"}));
    EXPECT_EQ(linesOf(""), Strings{});
}

TEST(LineSource, NulEndsTheTextOfItsLine) {
    EXPECT_EQ(linesOf(std::string("ab\0cd\r\nef\r\n", 11)), (Strings{"ab", "ef"}));
}

TEST(LineSource, LongLineKeepsItsFirstBytesAndIsNotedOnce) {
    const std::string longLine(1000, 'x');
    std::vector<long> overlong;
    const Strings lines = linesOf("a\r\n" + longLine + "\r\nb\r\n", 600, &overlong);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], std::string(LineSource::kMaxLineLength, 'x'));
    EXPECT_EQ(lines[2], "b");
    EXPECT_EQ(overlong, std::vector<long>{2});
}

TEST(LineSource, LineOfExactlyTheLimitIsKeptWhole) {
    const std::string line(LineSource::kMaxLineLength, 'y');
    std::vector<long> overlong;
    EXPECT_EQ(linesOf(line + "\r\n" + line + "z\r\n", 1 << 20, &overlong), (Strings{line, line}));
    EXPECT_EQ(overlong, std::vector<long>{2});
}

TEST(LineSource, LinesAcrossBufferRefillsComeOutWhole) {
    std::string content;
    Strings expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("\t*MESH_VERTEX " + std::to_string(i) + std::string(i % 97, ' ') +
                           "1.0");
        content += expected.back() + (i % 3 == 0 ? "\n" : "\r\n");
    }
    EXPECT_EQ(linesOf(content, 512), expected);
}

}  // namespace
