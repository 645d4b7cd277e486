// The job envelope.
#include "engine/envelope.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/dispatch.h"
#include "engine/ppd_keys.h"
#include "engine/job.h"
#include "modules/booklet/booklet.h"
#include "modules/comment/comment.h"
#include "modules/pbind/pbind.h"
#include "modules/specialpage/specialpage.h"

namespace tf {
namespace {

constexpr char prtfmtStrKPJLHead[] = "%c%c-12345X";
constexpr Operand cmdParaListKPJLHead[] = {TF_CONST(CTRLSym_ESC), TF_CONST(CTRLSym_PERCENTAGE)};
constexpr ParaTable<Operand> symParaKPJLHead = MakeParaTable(cmdParaListKPJLHead);

constexpr char prtfmtStrKPJLJobMode[] = "@PJL JOB MODE=PRINTER%c%c";
constexpr Operand cmdParaListKPJLJobMode[] = {TF_CONST(CTRLSym_CR), TF_CONST(CTRLSym_LF)};
constexpr ParaTable<Operand> symParaKPJLJobMode = MakeParaTable(cmdParaListKPJLJobMode);

// The trailer's list has four entries; its format uses the first two and ends with its own "\n".
constexpr char prtfmtStrKPJLTrailer[] = "%c%c-12345X@PJL EOJ\n";
constexpr Operand cmdParaListKPJLTrailer[] = {TF_CONST(CTRLSym_ESC), TF_CONST(CTRLSym_PERCENTAGE),
                                              TF_CONST(CTRLSym_CR), TF_CONST(CTRLSym_LF)};
constexpr ParaTable<Operand> symParaKPJLTrailer = MakeParaTable(cmdParaListKPJLTrailer);

constexpr char prtfmtStrKPJLEnterPS[] = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";


bool AttrEquals(Job& job, const char* name, std::string_view value) {
  auto attr = ppdFindAttr_ALT(job.ppd(), name);
  return attr && *attr == value;
}

}  // namespace

const FmtTableEntry prtFmtTableKPJLHead[1] = {{prtfmtStrKPJLHead, &symParaKPJLHead, nullptr}};
const FmtTableEntry prtFmtTableKPJLJobMode[1] = {
    {prtfmtStrKPJLJobMode, &symParaKPJLJobMode, nullptr}};
const FmtTableEntry prtFmtTableKPJLTrailer[1] = {
    {prtfmtStrKPJLTrailer, &symParaKPJLTrailer, nullptr}};
const FmtTableEntry prtFmtTableEnterPS[1] = {{prtfmtStrKPJLEnterPS, nullptr, nullptr}};

// Product codes of the printer models whose firmware takes the version 1.3.0 job-information
// comment block.  A PPD whose "PCFileName" contains one of them gets that block.  Seven characters
// each: series letters, the speed class and the model variant.
const char* const modelsWithComment[65] = {
    "QMA2020", "QMA2025", "QMA2030", "QMA2035", "QMA2040", "QMA2045", "QMA2050", "QMA2055",
    "QMA3020", "QMA3025", "QMA3030", "QMA3035", "QMA3040", "QMA3045", "QMA3050", "QMA3055",
    "QMC2020", "QMC2025", "QMC2030", "QMC2035", "QMC2040", "QMC2045", "QMC2050", "QMC2055",
    "QMC3020", "QMC3025", "QMC3030", "QMC3035", "QMC3040", "QMC3045", "QMC3050", "QMC3055",
    "QMM4020", "QMM4025", "QMM4030", "QMM4035", "QMM4040", "QMM4045", "QMM4050", "QMM4055",
    "QMM5020", "QMM5025", "QMM5030", "QMM5035", "QMM5040", "QMM5045", "QMM5050", "QMM5055",
    "QMP6060", "QMP6070", "QMP6080", "QMP6090", "QMP7060", "QMP7070", "QMP7080", "QMP7090",
    "QMS8005", "QMS8006", "QMS8007", "QMS8008", "QMS9005", "QMS9006", "QMS9007", "QMS9008",
    nullptr,
};

void OutputKPJLCommandFromArray(Job& job, const FmtTableEntry* table, std::int32_t rows) {
  char command[kCommandBufferSize];
  for (std::int32_t i = 0; i < rows; ++i) {
    const FmtTableEntry& row = table[i];
    if (row.conditions != nullptr && ConditionCompare(row.conditions, job.state) != 1) continue;
    int length = BuildPrintComand(row.format, row.params, job.state, command, kCommandBufferSize);
    if (length > 0) job.out.Write(command, static_cast<std::size_t>(length));
  }
}

void OutputKPJLCommandLanguageEncodingForMDL7K2A(Job& job) {
  if (!job.traits.hasUtf8Mode) return;
  if (PpdSaysUtf8(job.ppd())) {
    QMfprintf(job.out, "@PJL SET STRINGCODESET=UTF8\n");
  }
}

void OutputKPJLCommandOthers(Job& job) {
  const CommentOptions& comment = job.state.psoptioncomment;

  // Line weight: "Normal", or a value with "Strongly" or "Weakly" and the digit of its level.
  const std::string_view weight = comment.lineWeightAdjustment;
  if (!weight.empty()) {
    if (weight == "Normal") {
      QMfputs("@PJL SET JOBATTR=\"@LWAD=0\"\n", job.out);
    } else {
      const std::size_t digit = weight.find_first_of("0123456789");
      if (digit != std::string_view::npos) {
        char line[100];
        if (weight.find("Strongly") != std::string_view::npos) {
          std::snprintf(line, sizeof(line), "@PJL SET JOBATTR=\"@LWAD=-%c\"\n", weight[digit]);
          QMfputs(line, job.out);
        } else if (weight.find("Weakly") != std::string_view::npos) {
          std::snprintf(line, sizeof(line), "@PJL SET JOBATTR=\"@LWAD=%c\"\n", weight[digit]);
          QMfputs(line, job.out);
        }
      }
    }
  }

  // Render mode.  A colour mode the filter does not know is left to the printer when the PPD has
  // the colour-mode option (the printer then knows it), else the job prints in grayscale.
  const std::string_view color = comment.colorMode;
  if (color.empty() || color == "Black") {
    QMfputs("@PJL SET RENDERMODE=GRAYSCALE\n", job.out);
  } else if (color == "Color") {
    QMfputs("@PJL SET RENDERMODE=COLOR\n", job.out);
  } else if (!job.ppd().HasOption(KPPDColorModeKey)) {
    QMfputs("@PJL SET RENDERMODE=GRAYSCALE\n", job.out);
  }
}

CommentBlock ChooseCommentBlock(Job& job) {
  const PpdFile& ppd = job.ppd();
  bool switchTest = false;
  if (auto encoding = ppdFindAttr_ALT(ppd, KPPDLanguageEncodingKey)) {
    if (*encoding != "UTF-8") return CommentBlock::Version130;
    switchTest = true;
  } else {
    auto pcFileName = ppdFindAttr_ALT(ppd, KPPDPCFileNameKey);
    if (!pcFileName) return CommentBlock::None;
    for (const char* const* code = modelsWithComment; *code != nullptr; ++code) {
      if (pcFileName->find(*code) != std::string_view::npos) return CommentBlock::Version130;
    }
    switchTest = true;
  }
  if (switchTest && AttrEquals(job, KPPDCommentOnKey, "True")) {
    return job.traits.hasExtendedComment ? CommentBlock::Version150 : CommentBlock::Version130;
  }
  return CommentBlock::None;
}

void OutputCommentBlock(Job& job, CommentBlock block) {
  if (block == CommentBlock::None) return;
  if (block == CommentBlock::Version150) {
    QMfputs("@PJL COMMENT QMJOBINFO VERSION=1.5.0\n", job.out);
  } else {
    QMfputs("@PJL COMMENT QMJOBINFO VERSION=1.3.0\n", job.out);
  }
  OutputKPJLCommandforCommentBegin(job);
  OutputKPJLCommandforCommentBasic(job);
  if (block == CommentBlock::Version150) OutputKPJLCommandforCommentAdvanced(job);
  QMfputs("@PJL COMMENT QMJOBINFO END\n", job.out);
}

bool IsDecompositionMode(Job& job) { return AttrEquals(job, KPPDDecompModeKey, "1"); }

void OutputKPJLCommand(Job& job) {
  InjectKPIFCommandSP(job);
  OutputKPJLCommandFromArray(job, prtFmtTableKPJLHead, numFmtTableKPJLHead);
  OutputKPJLCommandLanguageEncodingForMDL7K2A(job);
  OutputKPJLCommandFromArray(job, prtFmtTableKPJLJobMode, numFmtTableKPJLJobMode);
  OutputKPJLCommandFromFilter(job);
  OutputKPJLCommandforPerfectBind(job);
  OutputKPJLCommandforBooklet(job);
  OutputKPJLCommandOthers(job);
  OutputCommentBlock(job, ChooseCommentBlock(job));
  if (!IsDecompositionMode(job)) {
    OutputKPJLCommandFromArray(job, prtFmtTableEnterPS, numFmtTableEnterPS);
  }
}

}  // namespace tf
