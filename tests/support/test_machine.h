#pragma once

#include <string>

namespace mfg::test {

// Lays out the machine the tests run on for the life of the test program.
class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

private:
    std::string root_;
};

}  // namespace mfg::test
