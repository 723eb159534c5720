// Counts heap allocations made directly by the program's own code (the executable's text),
// apart from those made inside shared libraries such as the GL driver.
#pragma once

struct HeapCounts {
    long fromProgram;
    long total;
};

void startCountingHeap();
HeapCounts stopCountingHeap();
