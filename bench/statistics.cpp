// Summaries of measured values.
#include "bench/statistics.h"

#include <algorithm>
#include <cmath>

// The middle of the sorted values.
double median(double* values, int count) {
    if (count <= 0) return 0;
    std::sort(values, values + count);
    int mid = count / 2;
    return count % 2 ? values[mid] : 0.5 * (values[mid - 1] + values[mid]);
}

// Mean, sample standard deviation, extremes and median of a list.
Summary summarize(std::vector<double> values) {
    Summary s;
    s.count = (int)values.size();
    if (values.empty()) return s;
    s.median = median(values.data(), s.count);  // sorts them, so they are summed in order
    double sum = 0;
    for (double v : values) sum += v;
    s.mean = sum / s.count;
    double squares = 0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.sd = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : 0.0;
    s.min = values.front();
    s.max = values.back();
    return s;
}
