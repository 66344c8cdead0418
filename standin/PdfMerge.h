#pragma once
// Appending PDF files with qpdf. qpdf's headers do not compile as C++20 under clang, so they stay
// inside PdfMerge.cpp, which is compiled as C++17; this header uses nothing but the standard library.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvp::standin::pdf {

struct MergeOutcome {
    std::string merged;
    // The first file that cannot be read (0-based); merged is empty then.
    std::optional<std::size_t> unreadable;
    // A failure no single file is to blame for.
    std::string failure;
};

// Every page of every file in file order. The files must stay alive during the call.
MergeOutcome merge(const std::vector<std::string_view>& files);

} // namespace tvp::standin::pdf
