// aseplay-assetconv: makes the program's own picture files from PNG, and turns them back into PNG
// for inspection.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "images/file_bytes.h"
#include "images/png_io.h"
#include "tools/assetconv/conversions.h"

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int fail(const std::string& path, const std::string& error) {
    std::fprintf(stderr, "aseplay-assetconv: %s: %s\n", path.c_str(), error.c_str());
    return kFailure;
}

int pngToProgramFormat(const std::string& input, const std::string& output, bool toPcx,
                       bool runLength) {
    RgbImage image;
    std::string error;
    if (!readPng(input, image, error)) return fail(input, error);
    std::vector<std::uint8_t> file;
    const bool converted =
        toPcx ? rgbToPcxFile(image, file, error)
              : rgbToSprFile(image, runLength ? SprEncoding::kRunLength : SprEncoding::kRaw, file,
                             error);
    if (!converted) return fail(input, error);
    if (!writeFileBytes(output, file, error)) return fail(output, error);
    return 0;
}

int programFormatToPng(const std::string& input, const std::string& output) {
    std::vector<std::uint8_t> file;
    std::string error;
    if (readFileBytes(input, file, error) != FileReadResult::kOk) return fail(input, error);
    RgbImage image;
    if (!pictureFileToRgb(input, file, image, error)) return fail(input, error);
    if (!writePng(output, image, error)) return fail(output, error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"aseplay-assetconv: converts pictures between PNG and the .spr and PCX files"};
    app.require_subcommand(1);
    std::string input;
    std::string output;
    bool runLength = false;

    CLI::App* toSpr = app.add_subcommand("to-spr", "PNG to .spr (5-6-5 words)");
    toSpr->add_option("input", input, "PNG picture")->required();
    toSpr->add_option("output", output, ".spr file to write")->required();
    toSpr->add_flag("--rle", runLength, "Run-length encode the rows (default: raw)");

    CLI::App* toPcx = app.add_subcommand("to-pcx", "PNG to 24-bit three-plane run-length PCX");
    toPcx->add_option("input", input, "PNG picture")->required();
    toPcx->add_option("output", output, "PCX file to write")->required();

    CLI::App* toPng = app.add_subcommand("to-png", ".spr or PCX back to PNG");
    toPng->add_option("input", input, ".spr or .pcx file")->required();
    toPng->add_option("output", output, "PNG file to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }
    if (toSpr->parsed()) return pngToProgramFormat(input, output, false, runLength);
    if (toPcx->parsed()) return pngToProgramFormat(input, output, true, false);
    return programFormatToPng(input, output);
}
