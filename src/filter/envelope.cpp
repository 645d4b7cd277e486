// The job envelope.
#include "filter/envelope.h"

#include <iterator>
#include <string_view>

#include "engine/job.h"
#include "engine/ppd_keys.h"
#include "filter/module_steps.h"

namespace tf {
namespace {

bool AttrEquals(Job& job, const char* name, std::string_view value) {
  auto attr = job.ppd().FindAttribute(name);
  return attr && *attr == value;
}

}  // namespace

// Product codes of the printer models whose firmware takes the version 1.3.0 job-information
// comment block.  A PPD whose "PCFileName" contains one of them gets that block.  Seven characters
// each: series letters, the speed class and the model variant.
namespace {
constexpr const char* kModelsWithComment[] = {
    "QMA2020", "QMA2025", "QMA2030", "QMA2035", "QMA2040", "QMA2045", "QMA2050", "QMA2055",
    "QMA3020", "QMA3025", "QMA3030", "QMA3035", "QMA3040", "QMA3045", "QMA3050", "QMA3055",
    "QMC2020", "QMC2025", "QMC2030", "QMC2035", "QMC2040", "QMC2045", "QMC2050", "QMC2055",
    "QMC3020", "QMC3025", "QMC3030", "QMC3035", "QMC3040", "QMC3045", "QMC3050", "QMC3055",
    "QMM4020", "QMM4025", "QMM4030", "QMM4035", "QMM4040", "QMM4045", "QMM4050", "QMM4055",
    "QMM5020", "QMM5025", "QMM5030", "QMM5035", "QMM5040", "QMM5045", "QMM5050", "QMM5055",
    "QMP6060", "QMP6070", "QMP6080", "QMP6090", "QMP7060", "QMP7070", "QMP7080", "QMP7090",
    "QMS8005", "QMS8006", "QMS8007", "QMS8008", "QMS9005", "QMS9006", "QMS9007", "QMS9008",
};
static_assert(std::size(kModelsWithComment) == 64);
}  // namespace

const std::span<const char* const> modelsWithComment = kModelsWithComment;

void OutputKPJLCommandLanguageEncodingForMDL7K2A(Job& job) {
  if (!job.traits.hasUtf8Mode) return;
  if (PpdSaysUtf8(job.ppd())) job.out.Write("@PJL SET STRINGCODESET=UTF8\n");
}

CommentBlock ChooseCommentBlock(Job& job) {
  const PpdFile& ppd = job.ppd();
  if (auto encoding = ppd.FindAttribute(KPPDLanguageEncodingKey)) {
    if (*encoding != "UTF-8") return CommentBlock::Version130;
  } else {
    auto pcFileName = ppd.FindAttribute(KPPDPCFileNameKey);
    if (!pcFileName) return CommentBlock::None;
    for (const char* code : modelsWithComment) {
      if (pcFileName->find(code) != std::string_view::npos) return CommentBlock::Version130;
    }
  }
  // The comment switch.
  if (AttrEquals(job, KPPDCommentOnKey, "True")) {
    return job.traits.hasExtendedComment ? CommentBlock::Version150 : CommentBlock::Version130;
  }
  return CommentBlock::None;
}

void OutputCommentBlock(Job& job, CommentBlock block) {
  if (block == CommentBlock::None) return;
  if (block == CommentBlock::Version150) {
    job.out.Write("@PJL COMMENT QMJOBINFO VERSION=1.5.0\n");
    OutputJobInfoFromFilter(job, JobInfoBlock::Extended);
  } else {
    job.out.Write("@PJL COMMENT QMJOBINFO VERSION=1.3.0\n");
    OutputJobInfoFromFilter(job, JobInfoBlock::Basic);
  }
  job.out.Write("@PJL COMMENT QMJOBINFO END\n");
}

bool IsDecompositionMode(Job& job) { return AttrEquals(job, KPPDDecompModeKey, "1"); }

void OutputKPJLCommand(Job& job) {
  InjectBeforeJobFromFilter(job);
  OutputKPJLCommandFromArray(job, nullptr, prtFmtTableKPJLHead);
  OutputKPJLCommandLanguageEncodingForMDL7K2A(job);
  OutputKPJLCommandFromArray(job, nullptr, prtFmtTableKPJLJobMode);
  OutputKPJLCommandFromFilter(job);
  OutputCommentBlock(job, ChooseCommentBlock(job));
  if (!IsDecompositionMode(job)) OutputKPJLCommandFromArray(job, nullptr, prtFmtTableEnterPS);
}

}  // namespace tf
