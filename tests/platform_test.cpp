// What the library relies on from the operating system, on both builds.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/machine.h"
#include "support/profile_calls.h"

namespace mfg::test {
namespace {

using test::ScratchFolder;

TEST(PlatformFiles, ExistenceCountsFilesAndFolders) {
    ScratchFolder dir("exist");
    test::writeFile(dir / "file.ini", "x");
    test::makeFolder(dir / "folder");
    EXPECT_TRUE(platform::pathExists(dir / "file.ini"));
    EXPECT_TRUE(platform::pathExists(dir / "folder"));
    EXPECT_FALSE(platform::pathExists(dir / "missing.ini"));
    EXPECT_FALSE(platform::pathExists(dir / "missing\\file.ini"));
}

TEST(PlatformFiles, WholeFileReadsEveryByte) {
    ScratchFolder dir("read");
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7);
    test::writeFile(dir / "bin.dat", bytes);
    std::string read;
    ASSERT_TRUE(platform::readWholeFile(dir / "bin.dat", read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(platform::readWholeFile(dir / "missing.dat", read));
    EXPECT_TRUE(read.empty());
}

TEST(PlatformAtomicReplace, CreatesAndReplacesWholeContent) {
    ScratchFolder dir("atomic");
    const std::string target = dir / "LIST.INI";
    ASSERT_TRUE(platform::replaceFileAtomically(target, "[SYSTEM]\r\nCOUNT=0\r\n"));
    EXPECT_EQ(test::readFile(target), "[SYSTEM]\r\nCOUNT=0\r\n");
    ASSERT_TRUE(platform::replaceFileAtomically(target, "short"));
    EXPECT_EQ(test::readFile(target), "short");
    ASSERT_TRUE(platform::replaceFileAtomically(target, ""));
    EXPECT_EQ(test::readFile(target), "");
}

TEST(PlatformAtomicReplace, FailureLeavesTheTargetAsItWas) {
    ScratchFolder dir("atomicfail");
    std::string error;
    EXPECT_FALSE(platform::replaceFileAtomically(dir / "no-such-folder\\LIST.INI", "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(test::fileExists(dir / "no-such-folder"));

    const std::string readOnly = dir / "RO.INI";
    test::writeFile(readOnly, "old content");
    test::setReadOnly(readOnly, true);
    error.clear();
    EXPECT_FALSE(platform::replaceFileAtomically(readOnly, "new content", &error));
    EXPECT_FALSE(error.empty());
    test::setReadOnly(readOnly, false);
    EXPECT_EQ(test::readFile(readOnly), "old content");

    test::makeFolder(dir / "AFOLDER");
    EXPECT_FALSE(platform::replaceFileAtomically(dir / "AFOLDER", "x"));
}

TEST(PlatformAtomicReplace, LeavesNoTemporaryFileBehind) {
    ScratchFolder dir("atomicclean");
    ASSERT_TRUE(platform::replaceFileAtomically(dir / "A.INI", "1"));
    ASSERT_TRUE(platform::replaceFileAtomically(dir / "A.INI", "2"));
    test::writeFile(dir / "RO.INI", "x");
    test::setReadOnly(dir / "RO.INI", true);
    EXPECT_FALSE(platform::replaceFileAtomically(dir / "RO.INI", "y"));
    test::setReadOnly(dir / "RO.INI", false);
    // Only the two files remain in the folder.
    std::string probe;
    EXPECT_TRUE(platform::readWholeFile(dir / "A.INI", probe));
    int entries = 0;
    for (const char* name : {"A.INI", "RO.INI"}) entries += test::fileExists(dir / name);
    EXPECT_EQ(entries, 2);
}

TEST(PlatformFiles, AppendTextWritesWindowsLineEnds) {
    ScratchFolder dir("append");
    const std::string log = dir / "trace.log";
    ASSERT_TRUE(platform::appendText(log, "one\n"));
    ASSERT_TRUE(platform::appendText(log, "two 100%\n"));
    EXPECT_EQ(test::readFile(log), "one\r\ntwo 100%\r\n");
    EXPECT_FALSE(platform::appendText(dir / "missing\\trace.log", "x\n"));
}

TEST(PlatformFiles, InputFileReadsInOrderAndSeeks) {
    ScratchFolder dir("input");
    test::writeFile(dir / "p.ini", "0123456789");
    auto file = platform::openForReading(dir / "p.ini");
    ASSERT_NE(file, nullptr);
    char buffer[4];
    std::size_t got = 0;
    ASSERT_TRUE(file->read(buffer, 4, got));
    EXPECT_EQ(std::string(buffer, got), "0123");
    ASSERT_TRUE(file->seek(8));
    ASSERT_TRUE(file->read(buffer, 4, got));
    EXPECT_EQ(std::string(buffer, got), "89");
    ASSERT_TRUE(file->read(buffer, 4, got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(platform::openForReading(dir / "missing.ini"), nullptr);
    EXPECT_EQ(platform::openForReading(dir.path()), nullptr);
}

TEST(PlatformFiles, RewritableFileHoldsExactlyTheLastContent) {
    ScratchFolder dir("rewrite");
    const std::string path = dir / "Temp.ini";
    test::writeFile(path, "stale content that is long");
    auto file = platform::createForRewriting(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(test::readFile(path), "");  // created or truncated at once
    ASSERT_TRUE(file->rewrite("[A]\r\nK=1\r\n"));
    EXPECT_EQ(test::readFile(path), "[A]\r\nK=1\r\n");
    ASSERT_TRUE(file->rewrite("[B]"));
    EXPECT_EQ(test::readFile(path), "[B]");
    ASSERT_TRUE(file->rewrite(""));
    EXPECT_EQ(test::readFile(path), "");
    file.reset();
    EXPECT_TRUE(platform::deleteFile(path));
    EXPECT_FALSE(test::fileExists(path));
    EXPECT_EQ(platform::createForRewriting(dir / "missing\\Temp.ini"), nullptr);
}

TEST(PlatformFiles, CopyOverwritesAndDeleteRemoves) {
    ScratchFolder dir("copy");
    test::writeFile(dir / "a.ini", "new");
    test::writeFile(dir / "b.ini", "old and longer");
    EXPECT_TRUE(test::copyFile(dir / "a.ini", dir / "b.ini"));
    EXPECT_EQ(test::readFile(dir / "b.ini"), "new");
    EXPECT_FALSE(test::copyFile(dir / "missing.ini", dir / "c.ini"));
    EXPECT_FALSE(test::fileExists(dir / "c.ini"));
    EXPECT_TRUE(platform::deleteFile(dir / "a.ini"));
    EXPECT_FALSE(platform::deleteFile(dir / "a.ini"));
}

TEST(PlatformMachine, AnswersTheQueriesTheLibraryMakes) {
    std::string dir;
    ASSERT_TRUE(platform::systemDirectory(dir));
    ASSERT_GE(dir.size(), 3u);
    EXPECT_EQ(dir.substr(1, 2), ":\\");
    platform::VersionInfo info;
    std::uint32_t error = 0;
    ASSERT_TRUE(platform::windowsVersion(info, error));
    EXPECT_EQ(info.platformId, 2u);
    EXPECT_TRUE(info.extended);
    std::string module;
    ASSERT_TRUE(platform::moduleFileName(module));
    EXPECT_TRUE(platform::pathExists(module)) << module;
    platform::debugOutput("mfglist test: debugger output");
    EXPECT_EQ(platform::activeCodePage(), 1252u);
}

}  // namespace
}  // namespace mfg::test
