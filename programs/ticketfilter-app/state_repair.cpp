// Jobs that a stopped service left in the middle of printing.
#include "state_repair.h"

#include "platform/decimal.h"

namespace tf::app {
namespace {

constexpr std::string_view kJobLine = "Job ";
constexpr std::string_view kProcessing = "5";  // IPP job-state processing
constexpr std::string_view kPending = "3";     // IPP job-state pending

// One `name="value"` of a job line: where its value starts and ends in the line.
struct Field {
  std::string_view name;
  std::size_t valueStart = 0;
  std::size_t valueEnd = 0;
};

// The fields of a job line after "Job ", read as the framework writes them: a blank, the name,
// '=', and the value in double quotes with a backslash before every quote and backslash in it.
std::vector<Field> ReadFields(std::string_view line) {
  std::vector<Field> fields;
  std::size_t at = kJobLine.size() - 1;
  while (at < line.size() && line[at] == ' ') {
    const std::size_t nameStart = at + 1;
    const std::size_t equals = line.find('=', nameStart);
    if (equals == std::string_view::npos || equals + 1 >= line.size() || line[equals + 1] != '"') {
      break;
    }
    Field field;
    field.name = line.substr(nameStart, equals - nameStart);
    field.valueStart = equals + 2;
    std::size_t p = field.valueStart;
    while (p < line.size() && line[p] != '"') p += line[p] == '\\' ? 2 : 1;
    if (p >= line.size()) break;
    field.valueEnd = p;
    fields.push_back(field);
    at = p + 1;
  }
  return fields;
}

}  // namespace

RequeuedState RequeueInterruptedJobs(std::string_view stateText) {
  RequeuedState state;
  state.text.reserve(stateText.size());
  std::size_t start = 0;
  while (start < stateText.size()) {
    std::size_t end = stateText.find('\n', start);
    end = end == std::string_view::npos ? stateText.size() : end + 1;
    std::string line(stateText.substr(start, end - start));
    start = end;
    if (line.starts_with(kJobLine)) {
      const std::vector<Field> fields = ReadFields(line);
      int id = 0;
      const Field* processing = nullptr;
      for (const Field& field : fields) {
        const std::string_view value =
            std::string_view(line).substr(field.valueStart, field.valueEnd - field.valueStart);
        if (field.name == "id") id = DecimalValue(value);
        if (field.name == "state" && value == kProcessing) processing = &field;
      }
      if (processing != nullptr) {
        std::string requeued = line.substr(0, processing->valueStart);
        requeued += kPending;
        requeued += std::string_view(line).substr(processing->valueEnd);
        line = std::move(requeued);
        state.jobIds.push_back(id);
      }
    }
    state.text += line;
  }
  return state;
}

}  // namespace tf::app
