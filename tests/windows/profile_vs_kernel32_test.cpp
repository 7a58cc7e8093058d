// The INI text model beside the real GetPrivateProfileStringA and
// WritePrivateProfileStringA, on the same files.  Under Wine this checks the
// model against Wine's KERNEL32; cases where Wine rewrites a whole file
// instead of editing it (as Windows does) are marked and checked against the
// bytes the model keeps.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile/document.h"
#include "profile/profile_text.h"
#include "support/profile_cases.h"

namespace mfg::test {

using namespace profile;

namespace {

using namespace std::literals;
using profile_cases::hex;

const char kFolder[] = "C:\\mfgtest_profile";

void putFile(const std::string& path, std::string_view bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    const BOOL ok = bytes.empty() ||
                    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(ok && written == bytes.size()) << path;
}

std::string getFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

// The arguments go through writable copies: the ANSI functions of some
// Windows versions write into their string arguments.
struct CString {
    explicit CString(std::string_view s) : text(s) {}
    char* get() { return &text[0]; }
    std::string text;
};

struct Answer {
    std::string text;
    DWORD count;
};

Answer kernelRead(const std::string& path, std::string_view section, std::string_view key,
                  DWORD size) {
    CString s(section), k(key), d(profile_cases::kNotFound);
    std::string buffer(size + 16, '\xCC');
    const DWORD count =
        GetPrivateProfileStringA(s.get(), k.get(), d.get(), &buffer[0], size, path.c_str());
    // Nothing may be written past the terminating NUL.
    const std::size_t nul = size == 0 ? 0 : count + 1;
    EXPECT_EQ(buffer.find_first_not_of('\xCC', nul), std::string::npos) << "overrun";
    return {size == 0 ? std::string() : buffer.substr(0, count), count};
}

bool kernelWrite(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
    CString s(section), k(key), v(value);
    return WritePrivateProfileStringA(s.get(), k.get(), v.get(), path.c_str()) != FALSE;
}

class ProfileVsKernel32 : public testing::Test {
protected:
    static void SetUpTestSuite() { CreateDirectoryA(kFolder, nullptr); }

    static void TearDownTestSuite() {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);  // drops cached files
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((std::string(kFolder) + "\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") {
                    DeleteFileA((std::string(kFolder) + "\\" + name).c_str());
                }
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(kFolder);
    }

    // A fresh file name for every case: the profile functions cache files.
    static std::string freshPath() {
        static unsigned counter = 0;
        const std::string path = std::string(kFolder) + "\\p" + std::to_string(++counter) + ".ini";
        DeleteFileA(path.c_str());
        return path;
    }

    static text::CodePage page() { return text::CodePage(GetACP()); }
};

TEST_F(ProfileVsKernel32, KnownReads) {
    for (const profile_cases::ReadCase& c : profile_cases::kReads) {
        if (c.codePage != GetACP()) continue;
        SCOPED_TRACE(c.what);
        const std::string path = freshPath();
        putFile(path, c.file);
        const std::string def(profile_cases::kNotFound);
        const std::string ours = getString(c.file, c.section, c.key, def.c_str(), 260, page());
        const Answer kernel = kernelRead(path, c.section, c.key, 260);
        EXPECT_EQ(hex(ours), hex(c.want));
        if (!c.wineDiffers) {
            EXPECT_EQ(hex(kernel.text), hex(ours));
            EXPECT_EQ(kernel.count, ours.size());
        }
    }
}

TEST_F(ProfileVsKernel32, BufferSizes) {
    for (const profile_cases::BufferCase& c : profile_cases::kBuffers) {
        if (c.codePage != GetACP()) continue;
        SCOPED_TRACE(testing::Message() << hex(c.value) << " size " << c.size);
        const std::string file = "[S]\r\nK=" + std::string(c.value) + "\r\n";
        const std::string path = freshPath();
        putFile(path, file);
        const Answer kernel = kernelRead(path, "S", "K", static_cast<DWORD>(c.size));
        EXPECT_EQ(hex(kernel.text), hex(getString(file, "S", "K", "", c.size, page())));
        EXPECT_EQ(hex(kernel.text), hex(c.want));
    }
}

TEST_F(ProfileVsKernel32, GeneratedReads) {
    std::mt19937 rng(2718);
    const std::vector<std::string> pieces = {
        "[S]",     "[s]",     "[T]",   "[ S ]", "[S",   "S]",     "K=1",    "k = 2 ", "K",
        "L=\"3\"", "=e",      ";c",    "#K=c",  "  ",   "\t",     "\x1A",   "\0"s,    "\xE9",
        "[T\xE9]", "K\xE9=4", "[x]=y", "'q'",   "x=\"", "[Se]c]", "K\0=n"s, "K=a\0b"s};
    const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n", ""};
    const std::vector<std::pair<std::string, std::string>> lookups = {
        {"S", "K"}, {"s", "k"},         {" S ", "L"},  {"T", "K"},  {"x", "K"},
        {"S", ""},  {"T\xE9", "K\xE9"}, {"Se]c", "K"}, {"S", ";c"}, {"S", "x"}};
    for (int round = 0; round < 150; ++round) {
        std::string file;
        for (unsigned i = 1 + rng() % 8; i > 0; --i) {
            file += pieces[rng() % pieces.size()];
            if (rng() % 3 == 0) file += pieces[rng() % pieces.size()];
            file += ends[rng() % ends.size()];
        }
        const std::string path = freshPath();
        putFile(path, file);
        for (const auto& [section, key] : lookups) {
            for (DWORD size : {DWORD(260), DWORD(1 + rng() % 4)}) {
                SCOPED_TRACE(testing::Message()
                             << hex(file) << " " << section << "/" << key << " size " << size);
                const std::string def(profile_cases::kNotFound);
                EXPECT_EQ(hex(kernelRead(path, section, key, size).text),
                          hex(getString(file, section, key, def.c_str(), size, page())));
            }
        }
    }
}

TEST_F(ProfileVsKernel32, KnownWrites) {
    for (const profile_cases::WriteCase& c : profile_cases::kWrites) {
        if (c.codePage != GetACP()) continue;
        SCOPED_TRACE(c.what);
        const std::string path = freshPath();
        if (c.fileExists) putFile(path, c.before);
        std::string ours(c.before);
        Document doc{std::string(c.before), page()};
        for (const profile_cases::WriteCall& call : c.calls) {
            EXPECT_TRUE(kernelWrite(path, call.section, call.key, call.value));
            ours = applyWrite(ours, call.section, call.key, call.value, page());
            doc.write(call.section, call.key, call.value);
        }
        EXPECT_EQ(hex(ours), hex(c.after));
        EXPECT_EQ(hex(doc.bytes()), hex(c.after));
        const std::string kernel = getFile(path);
        if (c.wineDiffers) {
            // Where Wine rewrites the file its bytes differ, but every key
            // written must still read the same from both files.
            for (const profile_cases::WriteCall& call : c.calls) {
                const std::string def(profile_cases::kNotFound);
                EXPECT_EQ(hex(kernelRead(path, call.section, call.key, 260).text),
                          hex(getString(ours, call.section, call.key, def.c_str(), 260, page())))
                    << "kernel32 wrote " << hex(kernel);
            }
        } else {
            EXPECT_EQ(hex(kernel), hex(ours));
        }
    }
}

// Files the writer builds from nothing are the same, byte for byte.  Names
// and values with trailing blanks are left out: Wine parses the file again
// before each write and rewrites it from what it parsed, which trims them
// from every line but the one it writes.
TEST_F(ProfileVsKernel32, GeneratedWritesFromNothing) {
    std::mt19937 rng(161803);
    const std::vector<std::string> sections = {"Main", "MAIN",     "Other", "x y",
                                               " Pad", "\xC4\xD6", "Se]c",  "SYSTEM"};
    const std::vector<std::string> keys = {"a",         "A",  "Count", "COUNT", " k",
                                           "\xE9t\xE9", ";c", "A[1]",  "Name"};
    const std::vector<std::string> values = {
        "", "1", "  lead", "\"q\"", "a=b;c", "\x80\x81\xA0\xE9\xFF", "x]", "two words", "'s'"};
    for (int round = 0; round < 60; ++round) {
        const std::string path = freshPath();
        std::string ours;
        Document doc;
        std::string calls;
        for (unsigned writes = 1 + rng() % 25; writes > 0; --writes) {
            const std::string& section = sections[rng() % sections.size()];
            const std::string& key = keys[rng() % keys.size()];
            const std::string& value = values[rng() % values.size()];
            calls += hex(section) + "/" + hex(key) + "=" + hex(value) + "; ";
            ASSERT_TRUE(kernelWrite(path, section, key, value));
            ours = applyWrite(ours, section, key, value, page());
            doc.write(section, key, value);
        }
        SCOPED_TRACE(calls);
        EXPECT_EQ(hex(getFile(path)), hex(ours));
        EXPECT_EQ(hex(doc.bytes()), hex(ours));
    }
}

}  // namespace
}  // namespace mfg::test
