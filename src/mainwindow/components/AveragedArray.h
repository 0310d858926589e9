#pragma once

#include <vector>

// The running average behind the level display: a ring over the latest Capacity() readings.
// Until the ring is full the average is over the readings held so far.
class TAveragedArray {
public:
    static constexpr int kDefaultCapacity = 16;

    explicit TAveragedArray(int capacity = kDefaultCapacity);

    void Add(int value);
    // The integer mean of the held readings, truncated toward zero; 0 when none is held.
    int Average() const;
    void Clear();
    // Resizes and clears. A capacity below 1 is taken as 1: the ring needs a slot to write.
    void SetCapacity(int capacity);

    int Capacity() const { return FCapacity; }
    int Held() const { return FHeld; }

private:
    int FCapacity;
    std::vector<int> FItems;
    int FHeld = 0;
    int FNext = 0;
};
