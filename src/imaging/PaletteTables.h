#pragma once
// The published tables of the viridis and cividis colour maps (PaletteTables.cpp says where
// the numbers come from and under which licence).
#include <array>

namespace veltra {

// One entry: red, green and blue as fractions 0-1.
struct TPaletteFractions {
    double Red, Green, Blue;
};

extern const std::array<TPaletteFractions, 256> ViridisTable;
extern const std::array<TPaletteFractions, 256> CividisTable;

} // namespace veltra
