#pragma once
// The whole pass as one file: every channel of the selected sensor decoded from the open
// streams, without drawing, into a CF swath (export/SwathExport.h). A channel's values are
// those its own render pass gives, float for float: the same decoders run, with every footprint
// taken as visible.
#include <string>
#include <vector>

#include "export/SwathExport.h"

namespace veltra {

class TFormVeltra;

// Decodes every channel of the selected sensor from the form's streams, with the form's
// choices (HIRS count reading, masking of flagged lines); `program` names the writer in the
// file's history.
TSwath SwathOf(const TFormVeltra& form, const std::string& program);

} // namespace veltra
