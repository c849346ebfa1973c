// What the benchmark reports: the Markdown tables of the results of each
// build's run, side by side, with the machine and the method, and the
// verdict on their targets.
#pragma once

#include "measure.hpp"

#include <string>
#include <vector>

namespace bench {

// A list of what went wrong, or the line that says nothing did.
std::string verdict(const std::vector<Results> &builds);

// The whole document: what it is, how to run it again, the machine and the
// method, the tables and the verdict.
std::string document(const std::vector<Results> &builds, const std::string &machine, const std::string &verdict);

// The verdict says every target was met.
bool all_met(const std::string &verdict);

} // namespace bench
