// Known answers of the Windows private-profile functions, shared by the tests
// of the INI text model and by the Windows build's side-by-side run against
// KERNEL32 (which checks that these answers are the real ones).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mfg::test::profile_cases {

using namespace std::string_view_literals;

// Bytes as printable text, so that a failure shows where two texts differ.
inline std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// `head` followed by copies of `line` up to about `size` bytes, built by
// doubling so that a text of a hundred megabytes costs little to make.
inline std::string repeated(std::string head, std::string_view line, std::size_t size) {
    std::string block(line);
    head.reserve(size + block.size());
    while (head.size() < size) {
        head += block;
        if (block.size() < (1u << 20)) block += block;
    }
    return head;
}

// Every read of these tables passes this default, so "not found" and "found
// empty" give different answers.
inline constexpr std::string_view kNotFound = "(default)"sv;

struct ReadCase {
    const char* what;
    std::string_view file;
    std::string_view section;
    std::string_view key;
    std::string_view want;  // with a buffer of 260
    unsigned codePage = 1252;
    // Wine gives another answer (its reader honours a UTF-8 byte-order mark).
    bool wineDiffers = false;
};

// clang-format off
inline const std::vector<ReadCase> kReads = {
    // Name matching.
    {"plain", "[Sec]\r\nKey=Value\r\n", "Sec", "Key", "Value"},
    {"other case", "[Sec]\r\nKey=Value\r\n", "SEC", "kEY", "Value"},
    {"blanks around arguments", "[Sec]\r\nKey=Value\r\n", " Sec ", " Key ", "Value"},
    {"tabs around arguments", "[Sec]\r\nKey=Value\r\n", "\tSec\t", "\tKey\t", "Value"},
    {"blanks inside brackets", "[  Sec  ]\r\nK=V", "Sec", "K", "V"},
    {"blank inside section name", "[My Sec]\r\nK=V", "My Sec", "K", "V"},
    {"blank left out of section name", "[My Sec]\r\nK=V", "MySec", "K", kNotFound},
    {"blank doubled in section name", "[My Sec]\r\nK=V", "My  Sec", "K", kNotFound},
    {"blank inside key name", "[S]\r\nMy Key=V", "S", "My Key", "V"},
    {"blank left out of key name", "[S]\r\nMy Key=V", "S", "MyKey", kNotFound},
    {"indented header and key", "   [S]\r\n   K=V", "S", "K", "V"},
    {"brackets inside key name", "[S]\r\nA[1]=V", "S", "A[1]", "V"},
    {"high bytes, same bytes", "[\xC4\xD6]\r\n\xE9t\xE9=V", "\xC4\xD6", "\xE9t\xE9", "V"},
    {"high section byte, other case", "[\xE9]\r\n\xE9=V", "\xC9", "\xE9", kNotFound},
    {"high key byte, other case", "[\xE9]\r\n\xE9=V", "\xE9", "\xC9", kNotFound},
    {"undefined cp1252 bytes", "[\x81\x8D]\r\n\x8F\x90=V", "\x81\x8D", "\x8F\x90", "V"},

    // Line kinds.
    {"comment line then key", "[S]\r\n;K=C\r\nK=V", "S", "K", "V"},
    {"comment line by its own name", "[S]\r\n;K=C", "S", ";K", "C"},
    {"comment line only", "[S]\r\n;K=C", "S", "K", kNotFound},
    {"indented comment line", "[S]\r\n   ;K=C", "S", ";K", "C"},
    {"hash line by its name", "[S]\r\n#K=C", "S", "#K", "C"},
    {"hash line", "[S]\r\n#K=C", "S", "K", kNotFound},
    {"no inline comments", "[S]\r\nK=V ; note", "S", "K", "V ; note"},
    {"line without equals", "[S]\r\nK", "S", "K", kNotFound},
    {"empty value", "[S]\r\nK=", "S", "K", ""},
    {"value of blanks", "[S]\r\nK=   ", "S", "K", ""},
    {"empty key name", "[S]\r\n=V", "S", "", "V"},
    {"key before first header", "K=G\r\n[S]", "S", "K", kNotFound},
    {"blank lines between lines", "[S]\r\n\r\n   \r\nK=V", "S", "K", "V"},
    {"[ without ] is no header", "[S]\r\nA=1\r\n[T\r\nB=2", "T", "B", kNotFound},
    {"key after [ line stays", "[S]\r\nA=1\r\n[T\r\nB=2", "S", "B", "2"},
    {"[ line is not a key", "[S]\r\nA=1\r\n[T\r\nB=2", "S", "[T", kNotFound},
    {"junk after header", "[S]junk\r\nK=V", "S", "K", "V"},
    {"comment after header", "[S] ; note\r\nK=V", "S", "K", "V"},
    {"last ] closes", "[Se]c]\r\nK=V", "Se]c", "K", "V"},
    {"first ] does not close", "[Se]c]\r\nK=V", "Se", "K", kNotFound},
    {"[x]=y is a header", "[S]\r\n[x]=y\r\nK=V", "x", "K", "V"},
    {"[x]=y ends the section", "[S]\r\n[x]=y\r\nK=V", "S", "K", kNotFound},
    {"empty section name", "[]\r\nK=V", "", "K", kNotFound},

    // Values: blanks and quotes.
    {"blanks around =", "[S]\r\nK   =   V   ", "S", "K", "V"},
    {"tabs around =", "[S]\r\nK\t=\tV\t", "S", "K", "V"},
    {"inner blanks kept", "[S]\r\nK=a  b\tc", "S", "K", "a  b\tc"},
    {"split at first =", "[S]\r\nK=a=b", "S", "K", "a=b"},
    {"double quotes", "[S]\r\nK=\"V\"", "S", "K", "V"},
    {"single quotes", "[S]\r\nK='V'", "S", "K", "V"},
    {"opening quote only", "[S]\r\nK=\"V", "S", "K", "\"V"},
    {"closing quote only", "[S]\r\nK=V\"", "S", "K", "V\""},
    {"different quotes", "[S]\r\nK='V\"", "S", "K", "'V\""},
    {"outer pair only", "[S]\r\nK=\"a\"b\"", "S", "K", "a\"b"},
    {"blanks inside quotes", "[S]\r\nK=\"  V  \"", "S", "K", "  V  "},
    {"trimmed, then unquoted", "[S]\r\nK =  \"V\"  ", "S", "K", "V"},
    {"lone quote", "[S]\r\nK=\"", "S", "K", "\""},
    {"empty quotes", "[S]\r\nK=\"\"", "S", "K", ""},
    {"quotes inside", "[S]\r\nK=a\"b\"c", "S", "K", "a\"b\"c"},
    {"quoted, CR LF file", "[s]\r\nname1=val1\r\nname2=\"val2\"\r\n", "s", "name2", "val2"},
    {"quoted, CR file", "[s]\rname1=val1\rname2=\"val2\"\r", "s", "name2", "val2"},

    // Duplicates: only the first section of a name, the first key in it.
    {"first of two sections", "[S]\r\nA=1\r\n[T]\r\nX=0\r\n[S]\r\nA=2\r\nB=3", "S", "A", "1"},
    {"sections not merged", "[S]\r\nA=1\r\n[T]\r\nX=0\r\n[S]\r\nA=2\r\nB=3", "S", "B", kNotFound},
    {"sections not merged, other case", "[S]\r\nA=1\r\n[s]\r\nB=3", "S", "B", kNotFound},
    {"first of two keys", "[S]\r\nA=1\r\nA=2", "S", "A", "1"},
    {"first of two keys, other case", "[S]\r\na=1\r\nA=2", "S", "A", "1"},

    // Line ends and control characters.
    {"LF only", "[S]\nA=1\nK=V\n", "S", "K", "V"},
    {"CR only", "[S]\rA=1\rK=V\r", "S", "K", "V"},
    {"mixed line ends", "[S]\r\nA=1\nB=2\rK=V\r\n", "S", "K", "V"},
    {"LF CR", "[S]\n\rK=V\n\r", "S", "K", "V"},
    {"no final line end", "[S]\r\nK=V", "S", "K", "V"},
    {"no final line end, blanks", "[S]\r\nK=V  ", "S", "K", "V"},
    {"0x1A before line end", "[S]\r\nK=V\x1A\r\n", "S", "K", "V"},
    {"0x1A after last line", "[S]\r\nK=V\r\n\x1A", "S", "K", "V"},
    {"VT and FF", "[S]\r\nK=\x0BV\x0C\r\n", "S", "K", "V"},
    {"tabs everywhere", "\t[\tS\t]\t\r\n\tK\t=\tV\t\r\n", "S", "K", "V"},

    // Bytes outside ASCII, NUL bytes, byte-order marks.
    {"high bytes unchanged", "[S]\r\nK=\x80\x81\x8D\x8F\x90\x9D\xA0\xC9\xE9\xFF", "S", "K",
     "\x80\x81\x8D\x8F\x90\x9D\xA0\xC9\xE9\xFF"},
    {"value ends at NUL", "[S]\r\nK=ab\0cd\r\nL=2"sv, "S", "K", "ab"},
    {"line after NUL read", "[S]\r\nK=ab\0cd\r\nL=2"sv, "S", "L", "2"},
    {"NUL in section name", "[S\0x]\r\nK=V"sv, "S", "K", "V"},
    {"NUL in key name", "[S]\r\nK\0=V"sv, "S", "K", "V"},
    {"NULs before first section", "a\0b\0c\r\n[S]\r\nK=V"sv, "S", "K", "V"},
    {"UTF-8 BOM hides header on line 1", "\xEF\xBB\xBF[S]\r\nK=\xC3\xA9", "S", "K", kNotFound,
     1252, true},
    {"UTF-8 BOM, header on line 2", "\xEF\xBB\xBF\r\n[S]\r\nK=\xC3\xA9", "S", "K", "\xC3\xA9",
     1252, true},
    {"UTF-8 bytes without BOM", "[S]\r\nK=\xC3\xA9", "S", "K", "\xC3\xA9"},
    {"UTF-16LE with BOM", "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\xE9\0\x42\x30\xAC\x20"sv, "S", "K",
     "\xE9?\x80"},
    {"UTF-16LE without BOM", "[\0S\0]\0\r\0\n\0K\0=\0V\0"sv, "S", "K", kNotFound},
    {"UTF-16BE with BOM", "\xFE\xFF\0[\0S\0]\0\r\0\n\0K\0=\0V"sv, "S", "K", kNotFound, 1252,
     true},

    // Double-byte text (code page 932): a trail byte is never a delimiter.
    {"trail ] inside header", "[\x83\x5D]\r\nK=\x95\x5C\x82\xA0", "\x83\x5D", "K",
     "\x95\x5C\x82\xA0", 932},
    {"trail ] only", "[\x83\x5D\r\nK=V", "\x83\x5D", "K", kNotFound, 932},
    {"E9 5D is one character", "[T\xE9]\r\nA=1", "T\xE9", "A", kNotFound, 932},
    {"trail ] in key name", "[S]\r\n\x83\x5D=V", "S", "\x83\x5D", "V", 932},
    {"trail ] in value", "[S]\r\nN=x\xE9]", "S", "N", "x\xE9]", 932},
    {"lead byte before =", "[S]\r\nK\xE9=V", "S", "K\xE9", kNotFound, 932},
    {"double-byte value", "[S]\r\nK=\x82\xA0\x82\xA2\x82\xA4", "S", "K",
     "\x82\xA0\x82\xA2\x82\xA4", 932},
    {"bytes that are no characters", "[S]\r\nK=\x80\xA0\xFD\xFE\xFF", "S", "K",
     "\x80\xA0\xFD\xFE\xFF", 932},
    {"trail letter keeps its case", "[\x83" "A]\r\nK=V", "\x83" "a", "K", kNotFound, 932},
    {"trail letter, same bytes", "[\x83" "A]\r\n\x83" "B=V", "\x83" "A", "\x83" "B", "V", 932},
    {"letter after a double-byte character", "[\x83\x83" "A]\r\nK=V", "\x83\x83" "a", "K", "V",
     932},
    // The same files as single bytes.
    {"trail ] only, 1252", "[\x83\x5D\r\nK=V", "\x83", "K", "V"},
    {"trail ] inside header, 1252", "[\x83\x5D]\r\nK=V", "\x83\x5D", "K", "V"},
    {"E9 5D, 1252", "[T\xE9]\r\nA=1", "T\xE9", "A", "1"},
    {"lead byte before =, 1252", "[S]\r\nK\xE9=V", "S", "K\xE9", "V"},
};
// clang-format on

struct BufferCase {
    std::string_view value;  // as written in the file, after "[S]\r\nK="
    std::size_t size;
    std::string_view want;
    unsigned codePage = 1252;
};

// clang-format off
inline const std::vector<BufferCase> kBuffers = {
    {"val1", 5, "val1"}, {"val1", 4, "val"}, {"val1", 2, "v"}, {"val1", 1, ""}, {"a", 1, ""},
    {"val1", 0, ""},
    // A buffer that holds all but the closing quote loses one real character;
    // smaller ones keep what fits.
    {"\"val1\"", 5, "val"}, {"\"val1\"", 6, "val1"}, {"\"val1\"", 7, "val1"},
    {"\"val1\"", 4, "val"}, {"\"val1\"", 3, "va"}, {"\"val1\"", 2, "v"}, {"\"\"", 1, ""},
    {"'a'", 2, ""}, {"'a'", 3, "a"},
    // A cut never leaves half a double-byte character.
    {"\x95\x5C\x82\xA0", 4, "\x95\x5C", 932}, {"\x95\x5C\x82\xA0", 5, "\x95\x5C\x82\xA0", 932},
    {"\x95\x5C\x82\xA0", 2, "", 932}, {"a\x82\xA0", 3, "a", 932},
    {"\x95\x5C\x82\xA0", 4, "\x95\x5C\x82", 1252},
};
// clang-format on

struct WriteCall {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

struct WriteCase {
    const char* what;
    bool fileExists;  // else the writes start from a missing file
    std::string_view before;
    std::vector<WriteCall> calls;
    std::string_view after;
    unsigned codePage = 1252;
    // Wine rewrites the whole file from its parsed form (blank lines
    // dropped, lines trimmed, CR LF everywhere, text cut at a NUL); this
    // model edits the text as Windows does, so the bytes differ.
    bool wineDiffers = false;
};

// clang-format off
inline const std::vector<WriteCase> kWrites = {
    {"new file", false, "", {{"Sec", "Key", "Value"}}, "[Sec]\r\nKey=Value\r\n"},
    {"new file, several", false, "", {{"A", "k1", "1"}, {"A", "k2", "2"}, {"B", "k3", "3"}},
     "[A]\r\nk1=1\r\nk2=2\r\n[B]\r\nk3=3\r\n"},
    {"new section", true, "[A]\r\na=1\r\n", {{"B", "b", "2"}}, "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
    {"new section, no final line end", true, "[A]\r\na=1", {{"B", "b", "2"}},
     "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
    {"new key, no final line end", true, "[A]\r\na=1", {{"A", "b", "2"}},
     "[A]\r\na=1\r\nb=2\r\n"},
    {"new key, section not last", true, "[A]\r\na=1\r\n[B]\r\nb=2\r\n", {{"A", "c", "3"}},
     "[A]\r\na=1\r\nc=3\r\n[B]\r\nb=2\r\n"},
    {"replace keeps the file's names", true, "[Sect]\r\nKeyName=old\r\nOther=1\r\n",
     {{"SECT", "KEYNAME", "new"}}, "[Sect]\r\nKeyName=new\r\nOther=1\r\n"},
    {"new key, section in other case", true, "[Sect]\r\na=1\r\n", {{"SECT", "NewKey", "v"}},
     "[Sect]\r\na=1\r\nNewKey=v\r\n"},
    {"key twice: first replaced", true, "[A]\r\nk=1\r\nk=2\r\n", {{"A", "k", "3"}},
     "[A]\r\nk=3\r\nk=2\r\n"},
    {"section twice: first written", true, "[A]\r\na=1\r\n[B]\r\nb=1\r\n[A]\r\nz=9\r\n",
     {{"A", "new", "1"}, {"A", "z", "8"}},
     "[A]\r\na=1\r\nnew=1\r\nz=8\r\n[B]\r\nb=1\r\n[A]\r\nz=9\r\n"},
    {"empty value", false, "", {{"S", "K", ""}}, "[S]\r\nK=\r\n"},
    {"existing empty file", true, "", {{"S", "K", "V"}}, "[S]\r\nK=V\r\n"},
    {"key before first section", true, "g=1\r\n[A]\r\na=1\r\n", {{"B", "b", "2"}},
     "g=1\r\n[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
    {"same value again", true, "[A]\r\na=1\r\n", {{"A", "a", "1"}}, "[A]\r\na=1\r\n"},
    {"NULs before first section", true, "Data \0 before first section\r\n"sv,
     {{"section1", "key1", "string1"}},
     "Data \0 before first section\r\n[section1]\r\nkey1=string1\r\n"sv, 1252, true},

    // Values and names passed to the writer.
    {"value with blanks", false, "", {{"S", "K", "  v  "}}, "[S]\r\nK=v  \r\n"},
    {"value with tabs", false, "", {{"S", "K", "\tv\t"}}, "[S]\r\nK=v\t\r\n"},
    {"value with = and ;", false, "", {{"S", "K", "a=b;c"}}, "[S]\r\nK=a=b;c\r\n"},
    {"value with quotes", false, "", {{"S", "K", "\"q\""}}, "[S]\r\nK=\"q\"\r\n"},
    {"value with a line end", false, "", {{"S", "K", "a\r\nX=b"}}, "[S]\r\nK=a\r\nX=b\r\n"},
    {"value of high bytes", false, "", {{"S", "K", "\x80\x81\xA0\xE9\xFF"}},
     "[S]\r\nK=\x80\x81\xA0\xE9\xFF\r\n"},
    {"trailing blanks stay on earlier lines", false, "", {{"S", "K", "v  "}, {"S", "L", "1"}},
     "[S]\r\nK=v  \r\nL=1\r\n", 1252, true},
    {"padded names, new file", false, "", {{" S ", " K ", "1"}}, "[S ]\r\nK =1\r\n"},
    {"padded names match", true, "[S]\r\nK=0\r\n", {{" S ", " K ", "1"}}, "[S]\r\nK=1\r\n"},
    {"UTF-8 BOM file is ANSI", true, "\xEF\xBB\xBF[S]\r\nb=1\r\n", {{"S", "b", "\xE9"}},
     "\xEF\xBB\xBF[S]\r\nb=1\r\n[S]\r\nb=\xE9\r\n", 1252, true},

    // Edits keep every byte they need not change.
    {"comments, blank lines and padding kept", true,
     "; top comment\r\n\r\n[A]\r\n# hash line\r\n  key1 = v1  \r\n\tkey2\t=\tv2\r\nnoequals\r\n"
     "\r\n;c2\r\n[B]\r\nb=1\r\n",
     {{"B", "b", "2"}},
     "; top comment\r\n\r\n[A]\r\n# hash line\r\n  key1 = v1  \r\n\tkey2\t=\tv2\r\nnoequals\r\n"
     "\r\n;c2\r\n[B]\r\nb=2\r\n", 1252, true},
    {"new key after the last comment", true,
     "[A]\r\n# hash line\r\nnoequals\r\n\r\n;c2\r\n[B]\r\nb=1\r\n", {{"A", "k3", "3"}},
     "[A]\r\n# hash line\r\nnoequals\r\n\r\n;c2\r\nk3=3\r\n[B]\r\nb=1\r\n", 1252, true},
    {"replace keeps text up to =", true, "[A]\r\n  key1 = v1  \r\n\tkey2\t=\tv2\r\n",
     {{"A", "key1", "x"}, {"A", "key2", "y"}}, "[A]\r\n  key1 =x\r\n\tkey2\t=y\r\n", 1252, true},
    {"blank lines stay after new key", true, "[A]\r\na=1\r\n\r\n  \r\n[B]\r\nb=1\r\n",
     {{"A", "c", "3"}}, "[A]\r\na=1\r\nc=3\r\n\r\n  \r\n[B]\r\nb=1\r\n", 1252, true},
    {"LF-only file", true, "[A]\na=1\n\n[B]\nb=1\n", {{"A", "c", "3"}, {"B", "b", "2"}},
     "[A]\na=1\nc=3\r\n\n[B]\nb=2\n", 1252, true},
    {"CR-only file", true, "[A]\ra=1\r[B]\rb=1\r", {{"A", "a", "2"}, {"A", "c", "3"}},
     "[A]\ra=2\rc=3\r\n[B]\rb=1\r", 1252, true},
    {"LF CR file", true, "[A]\n\ra=1\n\r", {{"A", "c", "3"}}, "[A]\n\ra=1\n\rc=3\r\n", 1252,
     true},
    {"0x1A at the end, new key", true, "[A]\r\na=1\r\n\x1A", {{"A", "b", "2"}},
     "[A]\r\na=1\r\nb=2\r\n\x1A", 1252, true},
    {"0x1A at the end, new section", true, "[A]\r\na=1\r\n\x1A", {{"B", "b", "2"}},
     "[A]\r\na=1\r\n\x1A\r\n[B]\r\nb=2\r\n", 1252, true},
    {"replace last line without line end", true, "[A]\r\na=1", {{"A", "a", "2"}},
     "[A]\r\na=2", 1252, true},
    {"header alone at the end", true, "[A]", {{"A", "k", "v"}}, "[A]\r\nk=v\r\n"},
    {"section of blank lines", true, "[A]\r\n\r\n[B]\r\n", {{"A", "k", "v"}},
     "[A]\r\nk=v\r\n\r\n[B]\r\n", 1252, true},
    {"no header at all", true, "junk", {{"A", "k", "v"}}, "junk\r\n[A]\r\nk=v\r\n"},
    {"same key before first header", true, "k=0\r\n[A]\r\n", {{"A", "k", "1"}},
     "k=0\r\n[A]\r\nk=1\r\n"},
    {"value ends at NUL", false, "", {{"S", "K", "ab\0cd"sv}}, "[S]\r\nK=ab\r\n"},
    {"key that reads as a header", true, "[A]\r\n", {{"A", "[x]", "1"}, {"A", "k", "2"}},
     "[A]\r\nk=2\r\n[x]=1\r\n", 1252, true},
    {"value that turns a key into a header", true, "[A]\r\n[y=1\r\n",
     {{"A", "[y", "x]"}, {"A", "[y", "2"}, {"A", "k", "3"}}, "[A]\r\n[y=2\r\nk=3\r\n[y=x]\r\n"},
    {"value that adds a section", true, "[A]\r\nk=1\r\n", {{"A", "k", "v\r\n[B]\r\nb=1"},
     {"B", "c", "2"}, {"A", "n", "3"}}, "[A]\r\nk=v\r\nn=3\r\n[B]\r\nb=1\r\nc=2\r\n"},

    // Double-byte names (code page 932).
    {"double-byte names", false, "", {{"\x83\x5D", "\x83\x5D", "\x95\x5C\x80\xFF"}},
     "[\x83\x5D]\r\n\x83\x5D=\x95\x5C\x80\xFF\r\n", 932},
    {"header that is not one", false, "", {{"T\xE9", "A", "1"}, {"T\xE9", "A", "2"}},
     "[T\xE9]\r\nA=1\r\n[T\xE9]\r\nA=2\r\n", 932},
};
// clang-format on

}  // namespace mfg::test::profile_cases
