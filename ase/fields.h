// Lexing of the scene file's lines, number conversion and the field parsers: each parser takes one
// NUL-terminated line, splits it into whitespace-separated tokens (token 1 is the keyword) and
// stores selected tokens into a record. No parser looks at the keyword; a token the line lacks
// converts to 0 (or an empty text).
#pragma once

#include <cstdint>
#include <string_view>

#include "ase/records.h"

// Decimal integer with an optional sign, up to the first other character; saturates at the 64-bit
// range. A token without digits gives 0.
std::int64_t parseInteger(std::string_view token);

// Decimal real with optional fraction and exponent, correctly rounded to double, then to float.
// inf, nan and hexadecimal forms are not numbers: 0.
float parseReal(std::string_view token);

void parseShort(std::int16_t& field, const char* line);
void parseShort(std::uint16_t& field, const char* line);
void parseShortTriple(std::int16_t (&fields)[3], const char* line);
void parseInt(std::int32_t& field, const char* line);
void parseFloat(float& field, const char* line);
void parseVector(D3DVECTOR& vector, const char* line);
void parseMeshVertex(D3DVECTOR& vertex, const char* line);
void parseFace(MeshFace& face, const char* line);
void parseFaceNormal(FaceNormal& normal, const char* line);
void parseVertexNormal(VertexNormal& normal, const char* line);
void parseTexVertex(TexVertex& vertex, const char* line);
void parseTexFace(TexFace& face, const char* line);
void parsePosKey(PosKey& key, const char* line);
void parseRotKey(RotKey& key, const char* line);
void parseScaleKey(ScaleKey& key, const char* line);
void parsePosSample(TrackSample& sample, const char* line);
void parseRotSample(TrackSample& sample, const char* line);
// Time and up to seven values of a sampled-track line of a geometry object.
void parseSampleKey(SampleKey& sample, const char* line);
void parseName(AseText& text, const char* line);

// The first token of a line (empty when the line holds none).
std::string_view firstToken(const char* line);

// A line that opens a block ends with "{".
bool opensBlock(std::string_view line);

// An ASE file begins with a keyword line ("*3DSMAX_ASCIIEXPORT 200"); a byte-order mark before it
// is allowed. Anything else is not a scene file at all.
bool isAseHeaderLine(std::string_view firstLine);

// The parser of a record field, chosen by the field's type.
inline void parseField(AseText& field, const char* line) {
    parseName(field, line);
}
inline void parseField(std::int16_t& field, const char* line) {
    parseShort(field, line);
}
inline void parseField(std::uint16_t& field, const char* line) {
    parseShort(field, line);
}
inline void parseField(std::int16_t (&fields)[3], const char* line) {
    parseShortTriple(fields, line);
}
inline void parseField(std::int32_t& field, const char* line) {
    parseInt(field, line);
}
inline void parseField(float& field, const char* line) {
    parseFloat(field, line);
}
inline void parseField(D3DVECTOR& field, const char* line) {
    parseVector(field, line);
}
inline void parseField(PosKey& key, const char* line) {
    parsePosKey(key, line);
}
inline void parseField(RotKey& key, const char* line) {
    parseRotKey(key, line);
}
inline void parseField(ScaleKey& key, const char* line) {
    parseScaleKey(key, line);
}
