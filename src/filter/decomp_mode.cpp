// PLACEHOLDER: the decomposition mode is built by its own issue; until then it passes through.
#include "filter/decomp_mode.h"

namespace tf {

StreamStatus OutputPSStreamtoFileandInsertPJLforFeaturePDE(Job& job) { return OutputPSStream(job); }

}  // namespace tf
