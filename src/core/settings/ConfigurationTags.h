#pragma once
// The vocabulary of the configuration language: what each tag does, which
// rule its values obey and how an accepted value is stored. Private to the
// configuration reader.

#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ColumnLayouts.h"
#include "core/settings/ItemCatalogue.h"

namespace vexora::configuration {

// Acceptance rules of single values; each has its own message prefix.
enum class Rule {
    None,
    Positive,              // > 0 (in lists: >= 0)
    PositiveOrNotUsed,     // >= 1 or -1
    PlusMinusOne,          // +1 or -1
    GreaterThanZero,       // > 0
    AtLeastZero,           // >= 0
    Omega,                 // 0..2, both ends included
    PositiveBelowOne,      // 0 < value < 1
    OneOrTwo,              // 1 or 2 (yes/no and two-way choices)
    OneAndTwo,             // 1 or 2 (same test, older wording)
};

// Prefixes of messages that are not tied to a single-value rule.
inline constexpr std::string_view kBoundaryCodesPrefix = "Only 0,1 and 2 values allowed for ";
inline constexpr std::string_view kBadAnomalyPrefix = "Bad limits or negative anomaly for ";
inline constexpr std::string_view kBadRadiusPrefix = "Bad limits or negative Radius for ";
inline constexpr std::string_view kNotEnoughPrefix = "Not enough arguments for ";
inline constexpr std::string_view kBadLimitsPrefix = "Bad limits for ";
inline constexpr std::string_view kInvalidCountPrefix = "Invalid number of arguments ";

std::string_view rulePrefix(Rule rule);
// True when the rule refuses the value. In lists the positive rule admits 0.
bool rejects(Rule rule, double value, bool inList = false);
// prefix + tag + " setting."
std::string rejectionMessage(std::string_view prefix, std::string_view tag);

enum class TagKind {
    Marker,
    Ignored,           // recognised, no effect, but needs a value
    ElectrodeColumn,   // one 16-bit column into ElectrodeFormat
    DataColumn,        // one 16-bit column into DataFormat
    DataColumnList,    // IP window / IP standard deviation column lists
    DataKind,
    IpScale,
    TopographyColumn,
    Choice,            // stores the rest of the line
    Single,            // one value into an item
    List,              // all values into an item
    BoundaryConditions,
    SimpleInversion,
    ResistivityAnomaly,
    IpAnomaly,
    PlotBounds,
};

// How an accepted single value is written into its item.
enum class Stored {
    Token,    // the value exactly as written
    Number,   // shortest text of the number
    Integer,  // truncated toward zero
    Value,    // the accepted choice, "1" or "2"
};

enum class BlockMark { None, ElectrodeStart, ElectrodeEnd, DataStart, DataEnd, TopographyStart, TopographyEnd };

struct TagSpec {
    TagKind kind = TagKind::Ignored;
    Rule rule = Rule::None;
    Item item = Item::Header;
    Stored stored = Stored::Token;
    BlockMark mark = BlockMark::None;
    Column ElectrodeFormat::*electrodeField = nullptr;
    Column DataFormat::*dataField = nullptr;
    std::vector<Column> DataFormat::*dataList = nullptr;
    Column TopographyFormat::*topographyField = nullptr;
};

// The tag's meaning, or nullptr for an unknown tag. `lowerTag` is lower case.
const TagSpec* findTag(std::string_view lowerTag);

// Tags of instrument sequence files; they fill SequenceHeader and need no value.
bool isSequenceHeaderTag(std::string_view lowerTag);

}  // namespace vexora::configuration
