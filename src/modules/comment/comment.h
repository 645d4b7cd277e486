// Job-information comment: the PJL comment lines that describe the job for the printer's job log.
#pragma once

#include <cstdint>
#include <span>

#include "engine/ticket.h"

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

// Fills the record from the job's options: the thirteen tickets, the collation of the copies,
// and the adjusted sides, orientation, layout direction and copies.
int CommentGetTicketFromPDE(Job& job);
// The N-up text of the comment: the "number-up" option (`key`) as it stands, else the product of
// the layout rows and columns, else "1"; empty for a number-up that is a number below 1 and for a
// product below 1; converted to Shift-JIS.  A ticket reader; always
// returns 1.
std::int32_t ReadNumberUpTextForComment(const char* key, const JobOptions& options,
                                        void* destination, std::int32_t size);
inline constexpr TicketReader GetNumberUpTicketStringForComment{ReadNumberUpTextForComment,
                                                                StoredValue::ShiftJISText};
// BEGIN, PDLTYPE and JOBTYPE.
void OutputKPJLCommandforCommentBegin(Job& job);
// Copies, duplex, colour, N-up, staple, punch, booklet.  Writing the booklet threshold cuts the
// record's signature volume at "Sheet".
void OutputKPJLCommandforCommentBasic(Job& job);
// Orientation, N-up layout, saddle staple, staple and punch positions, mixed size, CUD.
void OutputKPJLCommandforCommentAdvanced(Job& job);

// The module's ticket-data table `CommentticketData`, and the options it reads besides for the
// collation of the copies (the ticket reference is checked against both).
std::span<const TicketDataEntry> CommentTicketTable();
std::span<const char* const> CommentCollationOptions();

}  // namespace tf
