#pragma once
// File names of the sample passes, in the conventions the viewer recognises.
//
// Level 1b, the NOAA archive's data set name plus ".L1B":
//   NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B
//   centre . data type (HIRX, AMAX, AMBX) . series and satellite letter . D + year (two
//   digits) + day of year . S + start hhmm . E + end hhmm . B + revolution at the start (five
//   digits) + last two digits of the revolution at the end . receiving station.
//
// AAPP Level 1c and 1d, six fields joined by underscores:
//   hirsl1c_noaa15_20080115_0805_50410_gc.l1c
//   product (hirsl1c, amsual1c, amsubl1c, mhsl1c, atovsl1d) _ satellite _ date _ nominal pass
//   time hhmm _ revolution _ receiving station. The product, the pass time and the revolution
//   (fields 1, 4 and 5) identify one instrument's pass, so the files in which several stations
//   recorded parts of the same pass form one station group.
#include <string>

#include "make-samples/Pass.h"

namespace veltra::samples {

std::string Level1bDataType(TInstrument instrument); // "HIRX", "AMAX", "AMBX", "MHSX"
// The 42-character data set name (no extension).
std::string Level1bDataSetName(const TPassData& pass, const std::string& station);
std::string Level1bFileName(const TPassData& pass, const std::string& station);

std::string AappProduct(TInstrument instrument); // "hirsl1c", "amsual1c", "amsubl1c", "mhsl1c"
constexpr const char* Level1dProduct = "atovsl1d";
// product_satellite_yyyymmdd_hhmm_revolution_station + extension (".l1c" or ".l1d").
std::string AappFileName(const std::string& product, const TPassData& pass,
                         const std::string& station, const std::string& extension);

} // namespace veltra::samples
