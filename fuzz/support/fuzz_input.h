// The input format the fuzz targets share: one flag byte that picks the
// variant of the run (code page, mode, request), then parts (texts, names,
// files) separated by the two bytes FE FF.  A pair that no INI text, command
// line or ID of the factory holds, so seeds stay readable and a mutation can
// still join or split parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mfg::fuzz {

inline constexpr char kPartSeparator[] = "\xFE\xFF";

struct FuzzInput {
    std::uint8_t flags = 0;
    std::vector<std::string> parts;  // at least one, possibly empty

    bool flag(unsigned bit) const { return (flags >> bit) & 1u; }
    // The part at `index`, or "" when the input has fewer.
    const std::string& part(std::size_t index) const;
};

FuzzInput splitInput(const std::uint8_t* data, std::size_t size);

// Stops the fuzzer with a message and a stack: a finding.
[[noreturn]] void fail(const char* what, const std::string& detail = std::string());

// Bytes as C-escaped text, for the messages of a finding.
std::string printable(const std::string& bytes);

}  // namespace mfg::fuzz
