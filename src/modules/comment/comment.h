// Job-information comment: the PJL comment lines that describe the job for the printer's job log.
#pragma once

#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;
class JobOptions;

// Record `psoptioncomment`: the values the comment lines, the booklet lines and the line-weight and
// render-mode lines read.
struct CommentOptions {
  char sides[256];
  char colorMode[256];
  char collate[256];
  char numberUp[256];
  char staple[256];
  char punch[256];
  char numPunchHoles[256];
  char signature[256];
  char sigVol[256];
  char lineWeightAdjustment[256];
  std::int32_t duplexBindingEdge;
  std::int32_t copies;
  std::int32_t orientation;
  std::int32_t layoutDirection;
};

// The job-information comment module: its record is a CommentOptions.
extern const ModuleDescriptor CommentModule;

// The comment record of the job, for the booklet lines (booklet module), which describe the same
// N-up, orientation and signature; an empty record when the program has no comment module.
const CommentOptions& CommentRecordForBooklet(const Job& job);

// Fills the record `psoptioncomment` from the job's options: the thirteen tickets, the collation
// of the copies, and the adjusted sides, orientation, layout direction and copies.
void CommentGetTicketFromPDE(Job& job, void* psoptioncomment);
// The N-up text of the comment: the "number-up" option (`key`) as it stands, else the product of
// the layout rows and columns, else "1"; empty for a number-up that is a number below 1 and for a
// product below 1; converted to Shift-JIS.  A ticket reader; always
// returns 1.
std::int32_t ReadNumberUpTextForComment(const char* key, const JobOptions& options,
                                        void* destination, std::int32_t size);
inline constexpr TicketReader GetNumberUpTicketStringForComment{ReadNumberUpTextForComment,
                                                                StoredValue::ShiftJISText};
// The line-weight and render-mode lines of the header.
void OutputKPJLCommandOthers(Job& job, void* psoptioncomment);
// The lines of the comment block: OutputKPJLCommandforCommentBegin and
// OutputKPJLCommandforCommentBasic, and for the extended block
// OutputKPJLCommandforCommentAdvanced.
void OutputKPJLCommandforComment(Job& job, void* psoptioncomment, JobInfoBlock block);
// BEGIN, PDLTYPE and JOBTYPE.
void OutputKPJLCommandforCommentBegin(Job& job);
// Copies, duplex, colour, N-up, staple, punch, booklet.  Writing the booklet threshold cuts the
// record's signature volume at "Sheet".
void OutputKPJLCommandforCommentBasic(Job& job, CommentOptions& comment);
// Orientation, N-up layout, saddle staple, staple and punch positions, mixed size, CUD.
void OutputKPJLCommandforCommentAdvanced(Job& job, const CommentOptions& comment);

}  // namespace tf
