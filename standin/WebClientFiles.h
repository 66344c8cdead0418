#pragma once
// The browser client's static files (TVPWebClient/static/ in the source tree), built into the
// stand-in so that it serves them wherever it runs.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tvp::standin {

struct EmbeddedFile {
    std::string_view name; // relative to TVPWebClient/static/
    const unsigned char* data;
    std::size_t size;
};

const std::vector<EmbeddedFile>& webClientFiles();

} // namespace tvp::standin
