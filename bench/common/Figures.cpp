#include "common/Figures.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace zorva::bench {

bool ReportFigure(const std::string& name, double value, const std::string& unit, Limit relation,
                  double limit)
{
    const bool pass = relation == Limit::AtMost ? value <= limit : value >= limit;
    std::printf("FIGURE %s: %.3f %s (limit %s %g %s) %s\n", name.c_str(), value, unit.c_str(),
                relation == Limit::AtMost ? "<=" : ">=", limit, unit.c_str(),
                pass ? "PASS" : "MISS");
    std::fflush(stdout);
    return pass;
}

void ReportInfo(const std::string& text)
{
    std::printf("  info  %s\n", text.c_str());
    std::fflush(stdout);
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * double(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double Median(const std::vector<double>& values)
{
    return Percentile(values, 50);
}

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

} // namespace zorva::bench
