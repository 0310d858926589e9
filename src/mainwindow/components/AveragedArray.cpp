#include "AveragedArray.h"

#include <algorithm>
#include <numeric>

TAveragedArray::TAveragedArray(int capacity)
    : FCapacity(0) {
    SetCapacity(capacity);
}

void TAveragedArray::Add(int value) {
    if (FHeld < FCapacity)
        ++FHeld;
    if (FNext >= FCapacity)
        FNext = 0;
    FItems[static_cast<std::size_t>(FNext)] = value;
    ++FNext;
}

int TAveragedArray::Average() const {
    if (FHeld == 0)
        return 0;
    // Unused slots hold 0, so the sum over all slots is the sum of the held readings. 64 bits:
    // sixteen readings near the int limits would overflow an int sum.
    const long long sum = std::accumulate(FItems.begin(), FItems.end(), 0LL);
    return static_cast<int>(sum / FHeld);
}

void TAveragedArray::Clear() {
    FHeld = 0;
    FNext = 0;
    std::fill(FItems.begin(), FItems.end(), 0);
}

void TAveragedArray::SetCapacity(int capacity) {
    FCapacity = std::max(1, capacity);
    FItems.assign(static_cast<std::size_t>(FCapacity), 0);
    Clear();
}
