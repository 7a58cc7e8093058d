#pragma once

#include <cstdio>

#include "scratch/scratch_machine.h"

namespace mfg::test {

// Lays out the machine the tests run on for the life of the test program
// (scratch_machine.h): natively drives C: and D: in a fresh temporary
// folder and none of the developer's machine variables, under Wine the
// prefix's own drives.
class TestMachine {
public:
    TestMachine() {
        if (!machine_.problem().empty())
            std::fprintf(stderr, "the tests' machine is missing: %s\n", machine_.problem().c_str());
    }

private:
    scratch::ScratchMachine machine_{"test"};
};

}  // namespace mfg::test
