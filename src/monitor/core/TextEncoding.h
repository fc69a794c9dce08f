#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marrowlight {

// How a log's bytes are decoded, decided from its first bytes once per reset.
enum class LogEncoding : int32_t {
    EightBit = 1,  // no byte-order mark: UTF-8 per line, else Windows-1252
    Utf8 = 2,      // EF BB BF
    Utf16 = 3,     // FF FE, little-endian
    Unknown = 255, // fewer than 2 bytes seen since the last reset
};

struct EncodingGuess {
    LogEncoding Encoding = LogEncoding::Unknown;
    uint64_t TextStart = 0;
};

// Decides the encoding from the first bytes of a file of fileSize bytes.
// Nothing is decided below 2 bytes; a 2-byte file EF BB is 8-bit text.
std::optional<EncodingGuess> DetectEncoding(std::string_view head, uint64_t fileSize);

bool IsValidUtf8(std::string_view bytes);
// Whether any byte is outside ASCII.
bool HasHighByte(std::string_view bytes);

// Appends the UTF-8 text of one line's file bytes. Malformed UTF-8 becomes
// U+FFFD (ASCII bytes always survive); in an 8-bit log a line that is not
// valid UTF-8 is read as Windows-1252; UTF-16 uses whole 16-bit units, an odd
// trailing byte and unpaired surrogates become U+FFFD. Zero bytes are kept.
void AppendDecodedLine(std::string& out, std::string_view bytes, LogEncoding encoding);
std::string DecodeLine(std::string_view bytes, LogEncoding encoding);
// Appends bytes of a row whose decoding was decided from the whole row: in
// an 8-bit log, utf8 tells UTF-8 from Windows-1252; other encodings ignore it.
void AppendDecodedAs(std::string& out, std::string_view bytes, LogEncoding encoding, bool utf8);

// Bytes at the end of a piece of a row whose decoding depends on the bytes
// that follow: a UTF-8 sequence begun but not ended, or an odd byte or a high
// surrogate of UTF-16. A piece cut there decodes as the whole row does.
size_t UnfinishedCharBytes(std::string_view bytes, LogEncoding encoding);

// Characters of a line as it is decoded: UTF-16 units; in an 8-bit line
// that is not valid UTF-8 one a byte; else code points, a U+FFFD counting
// one for each malformed sequence it replaces.
uint64_t CountChars(std::string_view bytes, LogEncoding encoding);

// Code points of bytes decoded as UTF-8 with replacement; valid is cleared
// when a malformed sequence was met, and left alone otherwise.
uint64_t CountUtf8Chars(std::string_view bytes, bool& valid);

} // namespace marrowlight
