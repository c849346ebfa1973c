// The results of a run as lines of text, so that a run of one architecture
// can report another's beside its own: a 32-bit process cannot load the
// 64-bit DLL, so each DLL is measured by a benchmark of its own build.
#pragma once

#include "measure.hpp"

#include <optional>
#include <string>

namespace bench {

std::string to_text(const Results &results);

// The results that to_text wrote, or nothing when a line does not read.
std::optional<Results> from_text(const std::string &text);

} // namespace bench
