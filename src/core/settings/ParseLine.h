#pragma once
// Line tokenizer shared by every text format of the system.
//
// A line is split at separator characters; a run of separators counts as one,
// leading and trailing separators give no token, and each token is the text
// between two separator runs with surrounding spaces trimmed. Tokens are
// numbered from 1.
//
// Limits: there are no fixed tables. Positions and counts are 32-bit, so a
// line may hold up to 2^31 - 1 characters and tokens (far beyond any file the
// readers accept); a line of 100,000 characters or 20,000 tokens is ordinary.
// The separator list holds at most 255 single characters.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

class classParseLine {
public:
    static constexpr int kMaxSeparators = 255;

    classParseLine();

    // Stores the line and splits it. With an empty separator list the line is
    // stored and the previous tokens stay (the call reports false).
    bool AddLine(std::string_view line);

    // Resets the separators to comma (primary), space, tab and carriage return.
    void Defaults();
    // Appends a separator; refused (false) when 255 are in use.
    bool AddParseChar(std::string_view separator);
    // Empties the separator list and the stored line.
    void DeleteAllParseChars();

    int Number() const { return static_cast<int>(tokens_.size()); }
    int Index() const { return index_; }
    // Clamped: below 1 becomes 1, then above Number becomes Number.
    void SetIndex(int index);
    // Token at the current index, or "" when the line has no token.
    std::string Text() const;

    // Token k (1-based) without copying; "" outside 1..Number.
    std::string_view View(int k) const;
    const std::string& Line() const { return line_; }
    int SeparatorCount() const { return static_cast<int>(separators_.size()); }

private:
    struct Span {
        std::size_t begin;
        std::size_t length;
    };
    void rebuildSeparatorSet();

    std::string line_;
    std::vector<std::string> separators_;
    bool isSeparator_[256] = {};
    std::vector<Span> tokens_;
    int index_ = 0;
};

// Tokenizes `text` with the default separators and returns each token's
// lenient numeric value.
std::vector<double> dDataFill(classParseLine& tokenizer, std::string_view text);
// As dDataFill, each value rounded to the nearest integer, halves to even.
std::vector<int> iDataFill(classParseLine& tokenizer, std::string_view text);
// The text before the first dot of a file name, trimmed.
std::string FileStem(std::string_view name);

}  // namespace vexora
