// A copy of the example catalogue to change, and `matrix` run over it.
#pragma once

#include "support/tool/tool_fixture.h"

namespace mfgtool::test {

class CatalogueTest : public ToolTest {
protected:
    fs::path catalogue() const { return scratch / "catalogue"; }
    void SetUp() override {
        ToolTest::SetUp();
        fs::copy(examples() / "models", catalogue());
    }
    // `matrix` over the CD-ROM example and the copy, then `more`.
    Outcome matrix(std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"matrix", cdrom().string(), "--cdrom", "--models",
                                         catalogue().string()};
        args.insert(args.end(), more.begin(), more.end());
        return runTool(args);
    }
};

}  // namespace mfgtool::test
