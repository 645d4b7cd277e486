// The printer's PPD file, parsed once per job.
//
// This is the only place that touches libcups's (deprecated) PPD interface.  Every look-up of the
// filter is answered from the one parsed file; a PPD that is missing or cannot be parsed answers
// "absent" to every question, as a file that failed to open would.
//
// A parsed PPD may be shared by jobs that run at once on several threads (a printer application
// parses its printer's PPD once): every question is const, and the questions whose libcups calls
// write into the parsed file (its option look-up moves a search hint, a custom page size is filled
// in) are asked one at a time.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct ppd_file_s ppd_file_t;

namespace tf {

struct PpdPageSize {
  float width = 0;   // points
  float length = 0;  // points
};

// A media size of the PPD (*PageSize with its *ImageableArea), in points.
struct PpdMediaSize {
  std::string name;  // the PPD's size name, "A4"
  float width = 0;
  float length = 0;
  // The imageable area: the margins from the left and bottom edges, and the right and top
  // coordinates of the printable area.
  float left = 0;
  float bottom = 0;
  float right = 0;
  float top = 0;
};

// A main option of the PPD, with its choices in file order.
struct PpdChoiceInfo {
  std::string keyword;  // "UpperLeftSingle"
  std::string text;     // the human-readable text, "Upper Left"; the keyword when it has none
};
struct PpdOptionInfo {
  std::string keyword;        // "QMStaple"
  std::string text;           // "Staple"
  std::string defaultChoice;  // "None"; empty when the PPD gives none
  bool boolean = false;       // a Boolean option (True/False)
  std::vector<PpdChoiceInfo> choices;
};

class PpdFile {
 public:
  PpdFile() = default;
  PpdFile(const PpdFile&) = delete;
  PpdFile& operator=(const PpdFile&) = delete;
  ~PpdFile();

  // Parses the file at `path` (nullptr or empty: no PPD).  Returns false when there is none.
  bool Open(const char* path);
  bool IsOpen() const { return ppd_ != nullptr; }

  // Value of the first attribute, in file order, whose name begins with `name` (a prefix match,
  // so "QMPSDecompMode" also finds "QMPSDecompModeX").  std::nullopt when absent.
  std::optional<std::string_view> FindAttribute(std::string_view name) const;

  // True when the PPD defines the main option keyword `keyword` (e.g. "QMColorMode").
  bool HasOption(const char* keyword) const;

  // True when the option `keyword` has the choice `choice` (e.g. "QMStaple", "TopDouble").
  bool HasChoice(const char* keyword, const char* choice) const;

  // The page size named `name`, in points; std::nullopt when the PPD does not define it.
  std::optional<PpdPageSize> PageSize(const char* name) const;

  // Calls `visit(keyword, defaultChoice)` for every main option that has a default choice.
  void ForEachOptionDefault(
      const std::function<void(const char* keyword, const char* choice)>& visit) const;

  // Every main option, in the order of the file's groups and subgroups (for a printer driver).
  std::vector<PpdOptionInfo> Options() const;

  // Every media size, in file order (custom sizes left out).
  std::vector<PpdMediaSize> MediaSizes() const;

 private:
  ppd_file_t* ppd_ = nullptr;
  mutable std::mutex lookups_;  // libcups look-ups that write into ppd_
};

}  // namespace tf
