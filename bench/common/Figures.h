// How every benchmark reports: one line per figure with the limit it is measured against and
// its verdict, so that one run of scripts/bench can be read (and grepped) at a glance.
//   FIGURE <name>: <value> <unit> (limit <relation> <limit> <unit>) PASS|MISS
// Lines without a verdict (context for a figure) start with "  info".
#pragma once

#include <string>
#include <vector>

namespace zorva::bench {

enum class Limit { AtMost, AtLeast };

// Prints the figure's line and returns whether it meets its limit.
bool ReportFigure(const std::string& name, double value, const std::string& unit, Limit relation,
                  double limit);
// A line of context under a figure.
void ReportInfo(const std::string& text);

// Nearest-rank percentile (0 < p <= 100) of `values`; 0 for none. Sorts a copy.
double Percentile(std::vector<double> values, double p);
double Median(const std::vector<double>& values);

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace zorva::bench
