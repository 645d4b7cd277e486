// The PPD keywords through which a printer tells the filter its traits.
#pragma once

#include "platform/ppd.h"

namespace tf {

inline constexpr char KPPDLanguageEncodingKey[] = "QMPrinterLanguageEncoding";  // job text encoding
inline constexpr char KPPDDecompModeKey[] = "QMPSDecompMode";  // "1": feature decomposition mode
inline constexpr char KPPDPCFileNameKey[] = "PCFileName";      // holds the product code
inline constexpr char KPPDCommentOnKey[] = "CommentOn";        // "True": job-information comment
inline constexpr char KPPDColorModeKey[] = "QMColorMode";      // the colour-mode option
inline constexpr char KPPDColorDeviceKey[] = "ColorDevice";    // "False": a monochrome printer
inline constexpr char KPPDJobPasswordKey[] = "cupsJobPassword";  // the PIN form of held jobs

// True when the printer's job language takes UTF-8 text ("QMPrinterLanguageEncoding" is exactly
// "UTF-8"); every other value, or none, means Shift-JIS.
inline bool PpdSaysUtf8(const PpdFile& ppd) {
  const auto encoding = ppd.FindAttribute(KPPDLanguageEncodingKey);
  return encoding && *encoding == "UTF-8";
}

}  // namespace tf
