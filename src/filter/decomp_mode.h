// Feature decomposition mode: the PPD feature settings of the PostScript become PJL commands that
// precede it.
#pragma once

#include "filter/ps_stream.h"

namespace tf {

class Job;

StreamStatus OutputPSStreamtoFileandInsertPJLforFeaturePDE(Job& job);

}  // namespace tf
