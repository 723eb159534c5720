// Summaries of measured values, for every benchmark: one median, one standard deviation.
#pragma once

#include <vector>

struct Summary {
    int count = 0;
    double mean = 0, sd = 0, min = 0, max = 0, median = 0;
};

// The median of COUNT values, which it sorts in place; 0 for none. Of an even count, the mean of
// the middle two.
double median(double* values, int count);

// Mean, sample standard deviation, extremes and median of a list.
Summary summarize(std::vector<double> values);
