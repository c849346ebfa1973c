// One record per line, its fields apart by tabs; times in seconds with every
// digit a double holds.
#include "results_file.hpp"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace bench {
namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string line(std::initializer_list<std::string> fields) {
    std::string out;
    for (const std::string &field : fields)
        out += (out.empty() ? "" : "\t") + field;
    return out + "\n";
}

std::vector<std::string> fields_of(const std::string &text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(text.substr(start, tab - start));
    fields.push_back(text.substr(start));
    return fields;
}

bool read_number(const std::string &field, double &value) {
    char *end = nullptr;
    value = std::strtod(field.c_str(), &end);
    return !field.empty() && *end == '\0';
}

bool read_size(const std::string &field, std::size_t &value) {
    double number = 0;
    if (!read_number(field, number) || number < 0)
        return false;
    value = static_cast<std::size_t>(number);
    return true;
}

// One line into the results; false when it does not read.
bool read_line(const std::vector<std::string> &f, Results &r) {
    const std::string &kind = f[0];
    double a = 0, b = 0, limit = 0;
    std::size_t size = 0, count = 0;
    if (kind == "build" && f.size() == 2)
        r.build = f[1];
    else if (kind == "processor" && f.size() == 2)
        r.processor = f[1];
    else if (kind == "module" && f.size() == 4 && read_size(f[2], size) && read_size(f[3], count))
        r.module = {f[1], size, {}, count};
    else if (kind == "import" && f.size() == 3 && read_size(f[2], count))
        r.module.imports.emplace_back(f[1], count);
    else if (kind == "comparison" && f.size() == 7 && read_number(f[3], a) && read_number(f[4], b) &&
             (f[5] == "time" || f[5] == "rate") && read_number(f[6], limit))
        r.comparisons.push_back({f[1], f[2], {a, b}, f[5] == "time" ? Goal::time_at_most : Goal::rate_at_least, limit});
    else if (kind == "step" && f.size() == 4 && read_number(f[2], a) && read_number(f[3], b))
        r.log_steps.push_back({f[1], {a, b}});
    else if (kind == "growth" && f.size() == 3)
        r.growth.push_back({f[1], f[2], {}});
    else if (kind == "point" && f.size() == 3 && !r.growth.empty() && read_size(f[1], size) && read_number(f[2], a))
        r.growth.back().points.push_back({size, a});
    else if (kind == "problem" && f.size() == 2)
        r.problems.push_back(f[1]);
    else
        return false;
    return true;
}

} // namespace

std::string to_text(const Results &r) {
    std::string out = line({"build", r.build});
    out += line({"processor", r.processor});
    out += line({"module", r.module.path, std::to_string(r.module.bytes), std::to_string(r.module.tls_callbacks)});
    for (const auto &[dll, count] : r.module.imports)
        out += line({"import", dll, std::to_string(count)});
    for (const Comparison &c : r.comparisons)
        out += line({"comparison", c.service, c.peer, number(c.seconds.service), number(c.seconds.peer),
                     c.goal == Goal::time_at_most ? "time" : "rate", number(c.limit)});
    for (const Step &s : r.log_steps)
        out += line({"step", s.work, number(s.seconds.service), number(s.seconds.peer)});
    for (const Growth &g : r.growth) {
        out += line({"growth", g.work, g.unit});
        for (const GrowthPoint &p : g.points)
            out += line({"point", std::to_string(p.size), number(p.seconds)});
    }
    for (const std::string &p : r.problems)
        out += line({"problem", p});
    return out;
}

std::optional<Results> from_text(const std::string &text) {
    Results results;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);)
        if (!read_line(fields_of(l), results))
            return std::nullopt;
    return results;
}

} // namespace bench
