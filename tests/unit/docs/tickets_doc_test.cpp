// docs/tickets.md against what the programs' modules read: every option either program reads is
// listed under the name that program reads, with "—" for a program that does not read it, and
// every option listed is read by one of them; and its table of standard job attributes is the
// code's table, row by row.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/module.h"
#include "engine/program.h"
#include "engine/standard_attributes.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

constexpr char kNotRead[] = "—";
constexpr char kIndex[] = "<n>";  // stands for an entry's index in a value-ticket name

// The options one program reads: name → how its option name is formed.
using ProgramOptions = std::map<std::string, KeyKind>;

void Add(ProgramOptions& options, const std::string& name, KeyKind kind) {
  const auto [it, added] = options.emplace(name, kind);
  EXPECT_TRUE(added || it->second == kind) << name << " is read both with and without prefix";
}

void AddTable(ProgramOptions& options, std::span<const TicketDataEntry> table) {
  for (const TicketDataEntry& row : table) Add(options, row.key, row.keyKind);
}

// What the program's modules say they read: their ticket tables, and the options they read
// besides them.
ProgramOptions OptionsOf(const Program& program) {
  ProgramOptions options;
  for (const ModuleDescriptor* module : program.modules) {
    for (std::span<const TicketDataEntry> table : module->ticketTables) AddTable(options, table);
    for (const OptionKey& option : module->otherOptions) {
      Add(options, std::string(option.name) + (option.indexed ? kIndex : ""), option.kind);
    }
  }
  return options;
}

// One ticket row of the reference: the cells Name, ticketfilter, ticketfilter-basic.
struct DocumentedOption {
  std::string name;
  std::string full;   // the option name ticketfilter reads, or "—"
  std::string basic;  // the option name ticketfilter-basic reads, or "—"
  int line;
};

// The text of a cell "`text`" (or "—" as it stands); empty when the cell has another form.
std::string CellValue(std::string cell) {
  const auto first = cell.find_first_not_of(' ');
  const auto last = cell.find_last_not_of(' ');
  if (first == std::string::npos) return "";
  cell = cell.substr(first, last - first + 1);
  if (cell == kNotRead) return cell;
  if (cell.size() < 3 || cell.front() != '`' || cell.back() != '`') return "";
  cell = cell.substr(1, cell.size() - 2);
  return cell.find('`') == std::string::npos ? cell : "";
}

constexpr char kStandardSection[] = "## Standard job attributes";

// The lines of the reference, each with its number, and whether it lies in the section of the
// standard job attributes.
struct ReferenceLine {
  std::string text;
  int number;
  bool standardSection;
};

std::vector<ReferenceLine> ReadLines() {
  std::ifstream file(std::string(TF_TEST_DATA_DIR) + "/../../docs/tickets.md");
  EXPECT_TRUE(file.good()) << "docs/tickets.md cannot be read";
  std::vector<ReferenceLine> lines;
  bool standard = false;
  std::string text;
  for (int number = 1; std::getline(file, text); ++number) {
    if (text.rfind("## ", 0) == 0) standard = text == kStandardSection;
    lines.push_back({text, number, standard});
  }
  return lines;
}

// Every table row of the reference whose first cell is a code span, outside the section of the
// standard job attributes: a ticket row.
std::vector<DocumentedOption> ReadReference() {
  std::vector<DocumentedOption> rows;
  for (const auto& [text, number, standard] : ReadLines()) {
    if (standard || text.rfind("| `", 0) != 0) continue;
    std::vector<std::string> cells;
    std::stringstream split(text.substr(1));
    for (std::string cell; std::getline(split, cell, '|');) cells.push_back(cell);
    EXPECT_GE(cells.size(), 5u) << "line " << number << ": a ticket row has five cells";
    if (cells.size() < 5) continue;
    DocumentedOption row{CellValue(cells[0]), CellValue(cells[1]), CellValue(cells[2]), number};
    EXPECT_FALSE(row.name.empty() || row.full.empty() || row.basic.empty())
        << "line " << number << ": the first three cells are code spans or \"—\"";
    rows.push_back(row);
  }
  return rows;
}

std::string ExpectedCell(const ProgramOptions& options, const Program& program,
                         const std::string& name) {
  const auto it = options.find(name);
  if (it == options.end()) return kNotRead;
  return it->second == KeyKind::Prefixed ? program.traits.ticketKeyPrefix + name : name;
}

TEST(TicketReferenceTest, EveryRowNamesTheOptionsBothProgramsRead) {
  const ProgramOptions full = OptionsOf(FullProgram());
  const ProgramOptions basic = OptionsOf(BasicProgram());
  std::set<std::string> seen;
  for (const DocumentedOption& row : ReadReference()) {
    EXPECT_TRUE(seen.insert(row.name).second) << "line " << row.line << ": " << row.name
                                              << " is listed twice";
    EXPECT_TRUE(full.count(row.name) || basic.count(row.name))
        << "line " << row.line << ": " << row.name << " is read by neither program";
    EXPECT_EQ(row.full, ExpectedCell(full, FullProgram(), row.name))
        << "line " << row.line << ": the option ticketfilter reads for " << row.name;
    EXPECT_EQ(row.basic, ExpectedCell(basic, BasicProgram(), row.name))
        << "line " << row.line << ": the option ticketfilter-basic reads for " << row.name;
  }
}

TEST(TicketReferenceTest, EveryOptionOfBothProgramsIsListed) {
  std::set<std::string> documented;
  for (const DocumentedOption& row : ReadReference()) documented.insert(row.name);
  for (const Program* program : {&FullProgram(), &BasicProgram()}) {
    for (const auto& [name, kind] : OptionsOf(*program)) {
      EXPECT_TRUE(documented.count(name))
          << program->traits.programName << " reads "
          << ExpectedCell(OptionsOf(*program), *program, name)
          << ", which docs/tickets.md does not list";
    }
  }
}

// A row of the code's table as the reference writes it.
std::string StandardRowText(const StandardAttributeRow& row) {
  auto code = [](const std::string& text) { return "`" + text + "`"; };
  std::string condition;
  switch (row.condition) {
    case StdCondition::Present:
      condition = "given";
      break;
    case StdCondition::PresentWithout:
      condition = "given, without " + code(row.operand);
      break;
    case StdCondition::Is:
      condition = "is " + code(row.operand);
      break;
    case StdCondition::Includes:
      condition = "includes " + code(row.operand);
      break;
  }
  std::string value;
  switch (row.value) {
    case StdValue::Text:
      value = *row.text == '\0' ? "empty" : code(row.text);
      break;
    case StdValue::Attribute:
      value = "the attribute's value";
      break;
    case StdValue::AccountingUser:
      value = code(kJobAccountingUserIdAttribute) + ", else the job's user";
      break;
  }
  if (row.check == StdCheck::Text) {
    value += ", at most " + std::to_string(row.limit) + " bytes";
  } else if (row.check == StdCheck::Pin) {
    value += ", at most " + std::to_string(row.limit) + " characters of the PIN form";
  }
  return "| " + code(row.attribute) + " | " + condition + " | " + code(row.ticket) + " | " +
         value + " |";
}

TEST(TicketReferenceTest, TheTableOfStandardAttributesIsTheCodesTable) {
  std::vector<std::string> documented;
  for (const ReferenceLine& line : ReadLines()) {
    if (line.standardSection && line.text.rfind("| `", 0) == 0) documented.push_back(line.text);
  }
  std::vector<std::string> code;
  for (const StandardAttributeRow& row : StandardAttributeTable()) {
    code.push_back(StandardRowText(row));
  }
  EXPECT_EQ(documented, code) << "the rows of \"" << kStandardSection << "\" in docs/tickets.md";
}

TEST(TicketReferenceTest, EveryTicketOfTheStandardAttributesIsOneTheProgramReads) {
  for (const Program* program : {&FullProgram(), &BasicProgram()}) {
    const ProgramOptions options = OptionsOf(*program);
    for (const StandardAttributeRow& row : StandardAttributeTable()) {
      // ticketfilter-basic has no infoList; the ticket is given to both and read by one.
      if (program == &BasicProgram() && std::string(row.ticket) == "JBAInfoListTicketKey") continue;
      const auto it = options.find(row.ticket);
      ASSERT_NE(it, options.end())
          << program->traits.programName << " does not read " << row.ticket;
      EXPECT_EQ(it->second, row.keyKind) << row.ticket;
    }
  }
}

TEST(TicketReferenceTest, TheProgramsDifferOnlyInTheirPrefixAndAccountOptions) {
  // The reference's two columns rest on this: both programs read the same module tables with
  // their own prefix; only ticketfilter reads the account's infoList and infoSetList.
  const ProgramOptions full = OptionsOf(FullProgram());
  const ProgramOptions basic = OptionsOf(BasicProgram());
  std::set<std::string> onlyFull;
  for (const auto& [name, kind] : full) {
    if (!basic.count(name)) onlyFull.insert(name);
  }
  for (const auto& [name, kind] : basic) EXPECT_TRUE(full.count(name)) << name;
  EXPECT_EQ(onlyFull, (std::set<std::string>{"JBAInfoListTicketKey", "JBAInfoSetListTicketKey"}));
  EXPECT_STRNE(FullProgram().traits.ticketKeyPrefix, BasicProgram().traits.ticketKeyPrefix);
}

}  // namespace
}  // namespace tf::test
