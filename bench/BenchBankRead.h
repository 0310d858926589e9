#pragma once

#include "AR5000.h"

#include <cstdio>

// Reads a whole memory bank as the memory transfer does: 100 blocks of ten channels. False,
// with the failing block named on stderr, when a block was not read.
inline bool ReadWholeBank(TAR5000& driver) {
    TMAArray block{};
    for (int hundred = 0; hundred < 10; ++hundred) {
        for (int part = 0; part < 10; ++part) {
            // The first block of a hundred names it; the next nine continue the listing.
            block[0].Channel = part == 0 ? hundred : hundred * 100 + part * 10;
            if (!driver.GetMA(block)) {
                std::fprintf(stderr, "block %d%d0 failed\n", hundred, part);
                return false;
            }
        }
    }
    return true;
}
