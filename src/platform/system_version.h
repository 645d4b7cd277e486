// The operating-system version, as the filter asks for it.
//
// On macOS the version is derived from the Darwin kernel release (10.M.B packed as 0x1MNB, the
// form of the old Gestalt 'sysv' value).  On other systems there is no Darwin release; they are
// answered as a current system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/logger.h"

namespace tf {

// Four-character selector codes.
constexpr std::uint32_t FourCharCode(const char (&code)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// The version a system without a Darwin kernel is answered as: the highest 10.x the packed form
// can hold, which every version test of the filter treats as current.
constexpr std::int32_t kCurrentSystemVersion = 0x10F0;

// Packs a Darwin kernel release text ("11.4.2") into 0x1MNB: minor digit (R - 4) mod 16 from the
// major release R, patch digit from the kernel minor release mod 16.  An unreadable text gives
// 0x1000.
std::int32_t SystemVersionFromKernelRelease(const char* release);

// The Darwin kernel release text, or std::nullopt on a system that is not Darwin.
std::optional<std::string> DarwinKernelRelease();

// Answers `selector` ('sys1' major, 'sys2' minor, 'sys3' patch, 'sysv' packed value) into `out`.
// Returns 0, or -1 (and a DEBUG line) for an unsupported selector.  The version is read once per
// process.
int QuerySystemVersion(std::uint32_t selector, std::int32_t* out, Logger& log);

// Whether the spooler takes page accounting lines: macOS 10.7 (Darwin 11) and later, and every
// system that is not Darwin.  Decided on the kernel's major release, so that Darwin 20 and later,
// whose packed minor digit wraps past 15, still count as current.
bool SystemTakesPageLog();

}  // namespace tf
