// Job-information comment: the PJL comment lines that describe the job for the printer's job log.
#pragma once

#include <cstdint>

namespace tf {

class Job;

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

int CommentGetTicketFromPDE(Job& job);
void OutputKPJLCommandforCommentBegin(Job& job);
void OutputKPJLCommandforCommentBasic(Job& job);
void OutputKPJLCommandforCommentAdvanced(Job& job);

}  // namespace tf
