#include "monitor/core/RowScan.h"

#include "monitor/core/LineClassifier.h"
#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/TextEncoding.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using namespace std::string_literals;

std::string Utf16(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// A row cut into pieces anywhere, even inside a character or a keyword, is
// judged as the whole row: the same characters, groups and decoding.
TEST(RowScan, PiecesGiveWhatTheWholeRowGives) {
    const GroupMatcher ascii(std::array<std::string, 3>{"2006", "Warn;warn", "Error;error"});
    const GroupMatcher accented(
        std::array<std::string, 3>{"caf\xC3\xA9;\xF0\x9F\x98\x80", "\xE2\x82\xAC", "Error"});
    std::string longRow(200'000, 'x');
    longRow += "caf\xE9 Error";
    struct Case {
        std::string row;
        LogEncoding encoding;
    } cases[] = {
        {"plain Error here", LogEncoding::EightBit},
        {"caf\xC3\xA9 Warn \xF0\x9F\x98\x80", LogEncoding::EightBit}, // valid UTF-8
        {"caf\xE9 costs 5\x80 in 2006", LogEncoding::EightBit},       // Windows-1252
        {"caf\xC3\xA9 and caf\xE9", LogEncoding::EightBit},           // one bad byte decides
        {"\xE2\x82", LogEncoding::EightBit},
        {"x\xC3y Error \xE2\x82\xAC \xE2\x82", LogEncoding::Utf8},
        {"\xF0\x9F\x98", LogEncoding::Utf8},
        {longRow, LogEncoding::EightBit},
        {longRow, LogEncoding::Utf8},
        {Utf16("Warn: Error") + "\x3D\xD8\x00\xDE"s, LogEncoding::Utf16},
        {Utf16("caf") + "\xE9\0\xAC\x20"s + "\x00\xD8"s + Utf16("x") + "E"s, LogEncoding::Utf16},
        {"", LogEncoding::EightBit},
    };
    for (const GroupMatcher* matcher : {&ascii, &accented}) {
        for (const Case& c : cases) {
            const std::string text = DecodeLine(c.row, c.encoding);
            const uint64_t chars = CountChars(c.row, c.encoding);
            const unsigned membership = matcher->Membership(text);
            for (size_t piece :
                 {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{7000}, c.row.size() + 1}) {
                SCOPED_TRACE(::testing::PrintToString(c.row.substr(0, 40)) + " in pieces of " +
                             std::to_string(piece));
                RowScan scan(c.encoding, matcher);
                for (size_t at = 0; at < c.row.size(); at += piece)
                    scan.Feed(std::string_view(c.row).substr(at, piece));
                scan.Finish();
                EXPECT_EQ(scan.Chars(), chars);
                EXPECT_EQ(scan.Membership(), membership);
                if (c.encoding == LogEncoding::EightBit) {
                    EXPECT_EQ(scan.Utf8(), IsValidUtf8(c.row));
                }
            }
        }
    }
}

TEST(RowScan, ReadsARowOfAFileInPieces) {
    const GroupMatcher matcher(std::array<std::string, 3>{"", "", "Error"});
    auto file = std::make_shared<testing::MemoryFile>();
    file->data = "before\n" + std::string(300'000, '\xE9') + "Error\nafter";
    RowScan scan(LogEncoding::EightBit, &matcher);
    ASSERT_TRUE(RowScan::ScanFile(*file, 7, 300'005, 4096, scan));
    EXPECT_EQ(scan.Chars(), 300'005u);
    EXPECT_EQ(scan.Membership(), 4u);
    EXPECT_FALSE(scan.Utf8());

    RowScan past(LogEncoding::EightBit, nullptr);
    EXPECT_FALSE(RowScan::ScanFile(*file, 7, 400'000, 4096, past)); // the file ends first
}

} // namespace
} // namespace marrowlight
