#pragma once
// The decoding pass: one open input stream to coloured footprints on the map and samples in
// the sample list, for the channel selected in the channel tabs.
#include <string>

#include "base/Stream.h"
#include "formats/DecodeContext.h"

namespace veltra {

// The family from the upper-case file extension: ".L1C", ".L1D", anything else Level 1b.
TInputFamily InputFamilyOf(const std::string& fileExt);

// Runs the pass; nothing is done for a null stream. Failures while reading headers and scan
// lines end the pass silently, keeping what was drawn. A selected channel caption that is not
// an integer raises EConvertError before anything is read.
void DecodeStream(TDecodeHost& host, TStream* stream);

// The caption of the displayed channel: frequency in GHz for the microwave sensors, wavelength
// in micrometres for HIRS, "(visible)" for HIRS channel 20. Raises on a zero wavenumber.
std::string FormChannelCaption(const TDecodeContext& context, const std::string& sensorName,
                               int channel);

} // namespace veltra
