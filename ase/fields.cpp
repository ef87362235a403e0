#include "ase/fields.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr std::array<bool, 256> makeSpaceTable() {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\r', '\n', '\v', '\f'}) table[c] = true;
    return table;
}
constexpr std::array<bool, 256> kIsSpace = makeSpaceTable();

bool isSpace(char c) {
    return kIsSpace[static_cast<unsigned char>(c)];
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool shortDecimal(const char*& p, const char* end, double& value);

// Walks the tokens of one NUL-terminated line. Numbers are converted in the same pass that finds
// the token's end when they have the exporter's plain form; anything else takes the general way.
class Tokens {
  public:
    // The tokens of `line` after the first `skipped` ones (the keyword, and perhaps a number).
    explicit Tokens(const char* line, int skipped = 0) : p_(line) { skip(skipped); }

    std::string_view next() {
        skipSpace();
        const char* start = p_;
        skipToken();
        return std::string_view(start, static_cast<std::size_t>(p_ - start));
    }
    void skip(int count) {
        for (int i = 0; i < count; ++i) next();
    }

    std::int64_t integer() {
        skipSpace();
        const char* start = p_;
        const bool negative = *p_ == '-';
        const char* q = negative ? p_ + 1 : p_;
        std::int64_t value = 0;
        int digits = 0;
        for (; isDigit(*q) && digits < 18; ++q, ++digits) value = value * 10 + (*q - '0');
        if (digits > 0 && isTokenEnd(*q)) {  // short enough that it cannot saturate
            p_ = q;
            return negative ? -value : value;
        }
        skipToken();
        return parseInteger(std::string_view(start, static_cast<std::size_t>(p_ - start)));
    }

    // The low bits of the next integer, as a narrow field keeps them.
    template <class T>
    T integer() {
        using Unsigned = std::make_unsigned_t<T>;
        return static_cast<T>(static_cast<Unsigned>(static_cast<std::uint64_t>(integer())));
    }

    template <class Record>
    void xyz(Record& record) {
        record.x = real();
        record.y = real();
        record.z = real();
    }

    void reals(float* out, int count) {
        for (int i = 0; i < count; ++i) out[i] = real();
    }

    float real() {
        skipSpace();
        const char* start = p_;
        const bool negative = *p_ == '-';
        const char* q = negative ? p_ + 1 : p_;
        double value = 0.0;
        if (shortDecimal(q, nullptr, value) && isTokenEnd(*q)) {
            p_ = q;
            return static_cast<float>(negative ? -value : value);  // below 1e15: no overflow
        }
        skipToken();
        return parseReal(std::string_view(start, static_cast<std::size_t>(p_ - start)));
    }

  private:
    static bool isTokenEnd(char c) { return c == '\0' || isSpace(c); }
    void skipSpace() {
        while (isSpace(*p_)) ++p_;
    }
    void skipToken() {
        while (!isTokenEnd(*p_)) ++p_;
    }

    const char* p_;
};

// Rounds to float without the undefined behaviour of an out-of-range conversion.
float toFloat(double value) {
    // FLT_MAX plus half its last unit: from here on round-to-nearest gives infinity.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (std::fabs(value) >= kOverflow) {
        return std::copysign(std::numeric_limits<float>::infinity(),
                             static_cast<float>(value > 0 ? 1 : -1));
    }
    return static_cast<float>(value);
}

// The exporter's numbers ("-12.3456") have few digits and no exponent. Then digits / 10^k is a
// division of two exactly representable doubles, which IEEE arithmetic rounds correctly. Reads
// from p up to `end` (or up to the first character that is not part of the number when `end` is
// null) and leaves p after the number.
bool shortDecimal(const char*& p, const char* end, double& value) {
    constexpr int kMaxDigits = 15;  // below 2^53: the digits are exact in a double
    constexpr double kPowersOfTen[kMaxDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const auto more = [&](const char* q) { return (end == nullptr || q < end) && isDigit(*q); };
    const char* q = p;
    std::uint64_t digits = 0;
    int count = 0;
    int fraction = 0;
    for (; more(q); ++q, ++count) {
        if (count == kMaxDigits) return false;
        digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    }
    if ((end == nullptr || q < end) && *q == '.') {
        for (++q; more(q); ++q, ++count, ++fraction) {
            if (count == kMaxDigits) return false;
            digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
        }
    }
    if (count == 0 || ((end == nullptr || q < end) && (*q == 'e' || *q == 'E'))) return false;
    value = static_cast<double>(digits) / kPowersOfTen[fraction];
    p = q;
    return true;
}

}  // namespace

std::int64_t parseInteger(std::string_view token) {
    const char* p = token.data();
    const char* end = p + token.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Magnitude limit: 2^63 for a negative number, 2^63 - 1 otherwise.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t magnitude = 0;
    for (; p < end && isDigit(*p); ++p) {
        const auto digit = static_cast<std::uint64_t>(*p - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;  // saturate, as strtol does
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<std::int64_t>(magnitude);
    return magnitude == (std::uint64_t{1} << 63) ? std::numeric_limits<std::int64_t>::min()
                                                 : -static_cast<std::int64_t>(magnitude);
}

float parseReal(std::string_view token) {
    const char* p = token.data();
    const char* end = p + token.size();
    const bool plus = p < end && *p == '+';
    if (plus) ++p;  // from_chars takes no '+'
    const char* mantissa = (!plus && p < end && *p == '-') ? p + 1 : p;
    // Only a digit or a point may start a number: this rules out inf, nan and a second sign.
    if (mantissa == end || !(isDigit(*mantissa) || *mantissa == '.')) return 0.0f;

    double value = 0.0;
    const char* number = mantissa;
    if (shortDecimal(number, end, value)) return toFloat(mantissa != p ? -value : value);
    const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return 0.0f;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here; strtod gives the rounded infinity or zero.
        const std::string copy(p, stop);
        value = std::strtod(copy.c_str(), nullptr);
    }
    return toFloat(value);
}

void parseShort(std::int16_t& field, const char* line) {
    field = Tokens(line, 1).integer<std::int16_t>();
}

void parseShort(std::uint16_t& field, const char* line) {
    field = Tokens(line, 1).integer<std::uint16_t>();
}

void parseShortTriple(std::int16_t (&fields)[3], const char* line) {
    Tokens tokens(line, 1);
    for (auto& field : fields) field = tokens.integer<std::int16_t>();
}

void parseInt(std::int32_t& field, const char* line) {
    field = Tokens(line, 1).integer<std::int32_t>();
}

void parseFloat(float& field, const char* line) {
    field = Tokens(line, 1).real();
}

void parseVector(D3DVECTOR& vector, const char* line) {
    Tokens(line, 1).xyz(vector);
}

void parseMeshVertex(D3DVECTOR& vertex, const char* line) {
    Tokens(line, 2).xyz(vertex);  // after the keyword and the vertex number
}

// "*MESH_FACE 3: A: 4 B: 5 C: 6 AB: 1 BC: 0 CA: 1 ...": the values are the even tokens 4 to 14;
// later on the line, "*MESH_MTLID 2" names the face's sub-material (0 without it).
void parseFace(MeshFace& face, const char* line) {
    Tokens tokens(line, 3);
    face.a = tokens.integer<std::uint16_t>();
    tokens.skip(1);
    face.b = tokens.integer<std::uint16_t>();
    tokens.skip(1);
    face.c = tokens.integer<std::uint16_t>();
    tokens.skip(1);
    face.ab = tokens.integer<std::int16_t>();
    tokens.skip(1);
    face.bc = tokens.integer<std::int16_t>();
    tokens.skip(1);
    face.ca = tokens.integer<std::int16_t>();
    face.materialId = 0;
    for (std::string_view token = tokens.next(); !token.empty(); token = tokens.next()) {
        if (token == "*MESH_MTLID") {
            face.materialId = tokens.integer<std::uint16_t>();
            break;
        }
    }
}

void parseFaceNormal(FaceNormal& normal, const char* line) {
    Tokens tokens(line, 1);
    normal.faceIndex = tokens.integer<std::int16_t>();
    tokens.xyz(normal);
}

void parseVertexNormal(VertexNormal& normal, const char* line) {
    Tokens tokens(line, 1);
    normal.vertexIndex = tokens.integer<std::int16_t>();
    tokens.xyz(normal);
}

void parseTexVertex(TexVertex& vertex, const char* line) {
    Tokens tokens(line, 1);
    vertex.index = tokens.integer<std::int16_t>();
    vertex.u = tokens.real();
    vertex.v = tokens.real();
    vertex.w = tokens.real();
}

void parseTexFace(TexFace& face, const char* line) {
    Tokens tokens(line, 1);
    face.index = tokens.integer<std::int16_t>();
    face.a = tokens.integer<std::uint16_t>();
    face.b = tokens.integer<std::uint16_t>();
    face.c = tokens.integer<std::uint16_t>();
}

void parsePosKey(PosKey& key, const char* line) {
    Tokens tokens(line, 1);
    key.time = tokens.integer<std::int32_t>();
    tokens.reals(key.values, 9);
    key.flags = tokens.integer<std::int16_t>();
}

void parseRotKey(RotKey& key, const char* line) {
    Tokens tokens(line, 1);
    key.time = tokens.integer<std::int32_t>();
    tokens.reals(key.values, 9);
}

void parseScaleKey(ScaleKey& key, const char* line) {
    Tokens tokens(line, 1);
    key.time = tokens.integer<std::int32_t>();
    tokens.reals(key.values, 13);
    key.flags = tokens.integer<std::int16_t>();
}

void parsePosSample(TrackSample& sample, const char* line) {
    Tokens tokens(line, 1);
    sample.time = tokens.integer<std::int32_t>();
    tokens.xyz(sample);
}

// As a position sample: the fourth number (the angle) is not kept.
void parseRotSample(TrackSample& sample, const char* line) {
    parsePosSample(sample, line);
}

void parseSampleKey(SampleKey& sample, const char* line) {
    Tokens tokens(line, 1);
    sample.time = tokens.integer<std::int32_t>();
    tokens.reals(sample.values, 7);
}

// A quoted field runs from its opening to its closing quote, spaces included ("Bip01 L Hand"); a
// token whose quote does not close within it, and that no later quote on the line closes, stays
// the one token, as does every unquoted field.
void parseName(AseText& text, const char* line) {
    std::string_view token = Tokens(line, 1).next();
    if (token.size() > 0 && token.front() == '"' && token.find('"', 1) == std::string_view::npos) {
        if (const char* closing = std::strchr(token.data() + token.size(), '"')) {
            token = std::string_view(token.data(),
                                     static_cast<std::size_t>(closing + 1 - token.data()));
        }
    }
    text.assign(token);
}

std::string_view firstToken(const char* line) {
    return Tokens(line).next();
}

bool opensBlock(std::string_view line) {
    while (!line.empty() && isSpace(line.back())) line.remove_suffix(1);
    return !line.empty() && line.back() == '{';
}

bool isAseHeaderLine(std::string_view firstLine) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (firstLine.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        firstLine.remove_prefix(kByteOrderMark.size());
    }
    while (!firstLine.empty() && isSpace(firstLine.front())) firstLine.remove_prefix(1);
    return firstLine.size() > 1 && firstLine[0] == '*' && !isSpace(firstLine[1]);
}
