// Every tool test works on its own copy of the example tree.
#pragma once

#include <gtest/gtest.h>

#include "support/tool/run_tool.h"

namespace mfgtool::test {

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(examplesFolder(), scratch / "examples", fs::copy_options::recursive);
    }

    fs::path examples() const { return scratch / "examples"; }
    fs::path factory() const { return examples() / "factory"; }
    fs::path cdrom() const { return examples() / "cdrom"; }

    // The tool is handed native paths: the folder lies in the host's
    // temporary folder, and `scratch` is its native path.
    const ScratchFolder scratchFolder{"tool", ScratchPlace::hostTemp};
    const fs::path scratch = scratchFolder.hostFolder();
};

// The only error line of a failed run: "mfglist: ..." on standard error.
inline void expectOneErrorLine(const Outcome& outcome, const std::string& message) {
    EXPECT_EQ(outcome.out, "");
    const std::vector<std::string> errorLines = lines(outcome.err);
    ASSERT_EQ(errorLines.size(), 1u) << outcome.err;
    EXPECT_EQ(errorLines[0].rfind("mfglist: ", 0), 0u) << errorLines[0];
    EXPECT_NE(errorLines[0].find(message), std::string::npos) << errorLines[0];
}

}  // namespace mfgtool::test
