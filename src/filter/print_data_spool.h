// The spool of the decomposition mode: the PostScript kept in a temporary file while the feature
// lines give their PJL, and its replay to the printer once the switch into PostScript is out.
//
// The temporary file has no name (it is removed as soon as it is made), so nothing is left
// behind however the job ends.  When the input is a regular file (the spooler's print file), the
// spool keeps references to the input's bytes instead of a copy of them, with the bytes the filter
// adds (OutFile::ReferToSource), and the replay reads them from the input again.
//
// One copy loop replays both forms: a spool without references is one reference to the whole
// temporary file.  Long runs of the input go from file to printer in the kernel (sendfile); once
// the job is cancelled the rest is copied line by line, to the end of the next page.
#pragma once

#include <cstdint>
#include <string>

#include "engine/output_channel.h"
#include "filter/ps_stream.h"

namespace tf {

class Job;

class PrintDataSpool {
 public:
  // Creates the temporary file in `directory` ("/tmp" when empty), for the PostScript read from
  // `inputFd`.  Returns false, with errno set, when it cannot be created.
  bool Create(const std::string& directory, int inputFd);

  // Where the first pass writes the kept PostScript.
  OutFile& file() { return file_; }

  // Replays the kept PostScript to the job's printer stream (not to the job copy).  InputError,
  // after an ERROR line, when the spool or the input cannot be read back, or the input changed
  // since it was read.
  StreamStatus Replay(Job& job);

 private:
  OutFile file_;
  int input_ = -1;
  bool byReference_ = false;
  std::int64_t inputSize_ = 0;
  std::int64_t inputModified_ = 0;  // nanoseconds
};

// The replay of PostScript kept in the file `fd`, from its offset to its end.  Once the job is
// cancelled the copy stops after the next "ep", "endp" or "showpage" line and Cancelled is
// returned.
StreamStatus ReplayPrintData(Job& job, int fd);
// The same, line by line from the start; `midLine` says that the offset is inside a line, whose
// rest is then copied without being looked at.
StreamStatus ReplayPrintDataByLine(Job& job, int fd, bool midLine);
// The replay of a file of source pieces (OutFile::ReferToSource) whose references point into the
// input file `inputFd`.  InputError, after an ERROR line, when a file cannot be read or the input
// has become shorter.
StreamStatus ReplayPrintDataFromPieces(Job& job, int piecesFd, int inputFd);

}  // namespace tf
