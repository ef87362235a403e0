#include "ase/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

TEST(ParseInteger, TakesSignAndDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(parseInteger("0:"), 0);
    EXPECT_EQ(parseInteger("12"), 12);
    EXPECT_EQ(parseInteger("+12"), 12);
    EXPECT_EQ(parseInteger("-7x"), -7);
    EXPECT_EQ(parseInteger("12.9"), 12);
    EXPECT_EQ(parseInteger("A:"), 0);
    EXPECT_EQ(parseInteger("+-3"), 0);
    EXPECT_EQ(parseInteger(""), 0);
}

TEST(ParseInteger, SaturatesAtTheSixtyFourBitRange) {
    EXPECT_EQ(parseInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parseInteger("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parseInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(parseInteger("-99999999999999999999"), std::numeric_limits<std::int64_t>::min());
}

TEST(NarrowFields, KeepTheLowBitsOfTheSaturatedValue) {
    std::int16_t shortField = 0;
    parseShort(shortField, "*X 70000");
    EXPECT_EQ(shortField, 4464);
    std::uint16_t countField = 0;
    parseShort(countField, "*X -1");
    EXPECT_EQ(countField, 65535);
    std::int32_t time = 0;
    parseInt(time, "*X 4294967296");  // 2^32: low 32 bits are 0
    EXPECT_EQ(time, 0);
    parseInt(time, "*X 99999999999999999999");  // saturates to 2^63 - 1, low 32 bits all ones
    EXPECT_EQ(time, -1);
    parseInt(time, "*X -99999999999999999999");  // -2^63: low 32 bits 0
    EXPECT_EQ(time, 0);
}

TEST(ParseReal, ReadsDecimalFormsOnly) {
    EXPECT_EQ(parseReal("1.5"), 1.5f);
    EXPECT_EQ(parseReal("-2.0"), -2.0f);
    EXPECT_EQ(parseReal("+3.25"), 3.25f);
    EXPECT_EQ(parseReal(".5"), 0.5f);
    EXPECT_EQ(parseReal("5."), 5.0f);
    EXPECT_EQ(parseReal("1e3"), 1000.0f);
    EXPECT_EQ(parseReal("-2.5E-1"), -0.25f);
    EXPECT_EQ(parseReal("12abc"), 12.0f);
    EXPECT_TRUE(std::signbit(parseReal("-0.0000")));
    for (const char* notANumber :
         {"inf", "-inf", "nan", "+nan", "infinity", "+-1", "-+1", ".", "-", "x1"}) {
        EXPECT_EQ(parseReal(notANumber), 0.0f) << notANumber;
    }
    EXPECT_EQ(parseReal("0x10"), 0.0f);  // the 0 before the x, not sixteen
    EXPECT_EQ(parseReal("0x1p3"), 0.0f);
}

TEST(ParseReal, OutOfRangeGivesInfinityOrZero) {
    EXPECT_EQ(parseReal("1e400"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(parseReal("-1e400"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(parseReal("1e39"),
              std::numeric_limits<float>::infinity());  // a double, too big for float
    EXPECT_EQ(parseReal("1e-400"), 0.0f);
    EXPECT_EQ(parseReal("3.4028234e38"), std::numeric_limits<float>::max());
}

TEST(ParseReal, RoundsToDoubleFirstThenToFloat) {
    // Just above the midpoint between 1 and the next float: rounding straight to float gives the
    // upper neighbour, but the double is exactly the midpoint, which then rounds to even (1).
    EXPECT_EQ(parseReal("1.00000005960464477539062500001"), 1.0f);
}

TEST(ParseReal, ShortDecimalsMatchTheCorrectlyRoundedDouble) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> fractionDigits(0, 15);
    for (int i = 0; i < 20000; ++i) {
        const int fraction = fractionDigits(random);
        long long wholeLimit = 1, fractionLimit = 1;
        for (int d = 0; d < 15 - fraction; ++d) wholeLimit *= 10;
        for (int d = 0; d < fraction; ++d) fractionLimit *= 10;
        char text[64];
        std::snprintf(
            text, sizeof text, "%s%lld.%0*lld", i % 2 ? "-" : "",
            static_cast<long long>(random() % static_cast<unsigned long long>(wholeLimit)),
            fraction,
            static_cast<long long>(random() % static_cast<unsigned long long>(fractionLimit)));
        if (fraction == 0) text[std::strlen(text) - 1] = '\0';  // "%0*lld" printed a lone 0
        const float expected = static_cast<float>(std::strtod(text, nullptr));
        ASSERT_EQ(parseReal(text), expected) << text;
        float field = 0.0f;  // the same number met inside a line
        parseFloat(field, (std::string("*X\t") + text + "\r").c_str());
        ASSERT_EQ(field, expected) << text;
    }
}

TEST(FieldParsers, FaceLineStoresTheSixLabelledValues) {
    MeshFace face{};
    parseFace(face,
              "\t\t\t*MESH_FACE    3:    A:    4 B:    5 C:    6 AB:    1 BC:    0 CA:    1\t "
              "*MESH_SMOOTHING 1 \t*MESH_MTLID 0");
    EXPECT_EQ(face.a, 4);
    EXPECT_EQ(face.b, 5);
    EXPECT_EQ(face.c, 6);
    EXPECT_EQ(face.ab, 1);
    EXPECT_EQ(face.bc, 0);
    EXPECT_EQ(face.ca, 1);
}

TEST(FieldParsers, VertexLineSkipsTheVertexNumber) {
    D3DVECTOR vertex{9, 9, 9};
    parseMeshVertex(vertex, "\t\t\t*MESH_VERTEX    7\t1.5\t-2.0\t3.25");
    EXPECT_EQ(vertex.x, 1.5f);
    EXPECT_EQ(vertex.y, -2.0f);
    EXPECT_EQ(vertex.z, 3.25f);
}

TEST(FieldParsers, ShortKeyLinesLeaveTheMissingValuesZero) {
    PosKey pos{};
    std::fill(std::begin(pos.values), std::end(pos.values), 9.0f);
    pos.flags = 9;
    parsePosKey(pos, "*CONTROL_TCB_POS_KEY 160\t1.0\t2.0\t3.0\t25.0\t0.1\t0.2\t0.3\t0.4");
    EXPECT_EQ(pos.time, 160);
    EXPECT_EQ(pos.values[0], 1.0f);
    EXPECT_EQ(pos.values[3], 25.0f);
    EXPECT_EQ(pos.values[7], 0.4f);
    EXPECT_EQ(pos.values[8], 0.0f);
    EXPECT_EQ(pos.flags, 0);

    ScaleKey scale{};
    std::fill(std::begin(scale.values), std::end(scale.values), 9.0f);
    parseScaleKey(scale, "*CONTROL_TCB_SCALE_KEY 0 1 1 1 0 0 1 0.5 25 0 0 0 0");
    EXPECT_EQ(scale.values[6], 0.5f);
    EXPECT_EQ(scale.values[7], 25.0f);
    EXPECT_EQ(scale.values[11], 0.0f);
    EXPECT_EQ(scale.values[12], 0.0f);
    EXPECT_EQ(scale.flags, 0);

    TrackSample rotation{};
    parseRotSample(rotation, "*CONTROL_ROT_SAMPLE 320\t0.1\t0.2\t0.3\t4.5");
    EXPECT_EQ(rotation.time, 320);
    EXPECT_EQ(rotation.z, 0.3f);  // the angle after the axis is not kept
}

TEST(FieldParsers, QuotedNameIsReadWholeWithItsQuotesOtherTokensAlone) {
    AseText text{};
    parseName(text, "\t*NODE_NAME \"Two  Words\"\t");
    EXPECT_EQ(text, "\"Two  Words\"");
    parseName(text, "*BITMAP \"C:\\my maps\\wall.tga\" 2");
    EXPECT_EQ(text, "\"C:\\my maps\\wall.tga\"");
    parseName(text, "*NODE_NAME \"a\"b c\"");  // closed within its token: as before
    EXPECT_EQ(text, "\"a\"b");
    parseName(text, "*NODE_NAME \"never closed");
    EXPECT_EQ(text, "\"never");
    parseName(text, "*LIGHT_TYPE Target spot");
    EXPECT_EQ(text, "Target");
    parseName(text, "*NODE_NAME");
    EXPECT_EQ(text, "");
}

TEST(FieldParsers, MissingOrNonNumericTokensGiveZero) {
    D3DVECTOR v{9, 9, 9};
    parseVector(v, "*TM_POS 1.0 abc");
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    TexFace face{1, 1, 1, 1};
    parseTexFace(face, "*MESH_TFACE");
    EXPECT_EQ(face.index, 0);
    EXPECT_EQ(face.c, 0);
}

TEST(FirstToken, SkipsLeadingWhiteSpaceIncludingFormFeedAndVerticalTab) {
    EXPECT_EQ(firstToken("\t\v\f *GEOMOBJECT {"), "*GEOMOBJECT");
    EXPECT_EQ(firstToken(" \t "), "");
}

}  // namespace
