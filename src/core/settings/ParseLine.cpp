#include "core/settings/ParseLine.h"

#include "core/settings/LenientNumber.h"

namespace vexora {

classParseLine::classParseLine() { Defaults(); }

void classParseLine::Defaults()
{
    separators_ = {",", " ", "\t", "\r"};
    rebuildSeparatorSet();
}

bool classParseLine::AddParseChar(std::string_view separator)
{
    if (static_cast<int>(separators_.size()) >= kMaxSeparators) return false;
    separators_.emplace_back(separator);
    rebuildSeparatorSet();
    return true;
}

void classParseLine::DeleteAllParseChars()
{
    separators_.clear();
    rebuildSeparatorSet();
    line_.clear();
}

void classParseLine::rebuildSeparatorSet()
{
    for (bool& b : isSeparator_) b = false;
    // Only single characters can ever match a character of the line.
    for (const std::string& s : separators_)
        if (s.size() == 1) isSeparator_[static_cast<unsigned char>(s[0])] = true;
}

bool classParseLine::AddLine(std::string_view line)
{
    line_.assign(line);
    if (separators_.empty()) return false;

    // Equivalent to wrapping the line in separators, collapsing every run of
    // separators into one and cutting between runs: each token is the text
    // between two separator runs, trimmed of spaces, possibly empty when only
    // spaces stand between separators that are not spaces themselves.
    tokens_.clear();
    const std::size_t n = line_.size();
    const char* s = line_.data();
    std::size_t i = 0;
    while (i < n && isSeparator_[static_cast<unsigned char>(s[i])]) ++i;
    while (i < n) {
        std::size_t begin = i;
        while (i < n && !isSeparator_[static_cast<unsigned char>(s[i])]) ++i;
        std::size_t end = i;
        while (begin < end && s[begin] == ' ') ++begin;
        while (end > begin && s[end - 1] == ' ') --end;
        tokens_.push_back({begin, end - begin});
        while (i < n && isSeparator_[static_cast<unsigned char>(s[i])]) ++i;
    }
    if (index_ > Number()) index_ = Number();
    return true;
}

void classParseLine::SetIndex(int index)
{
    if (index < 1) index = 1;
    if (index > Number()) index = Number();
    index_ = index;
}

std::string_view classParseLine::View(int k) const
{
    if (k < 1 || k > Number()) return {};
    const Span& t = tokens_[static_cast<std::size_t>(k - 1)];
    return std::string_view(line_).substr(t.begin, t.length);
}

std::string classParseLine::Text() const { return std::string(View(index_)); }

std::vector<double> dDataFill(classParseLine& tokenizer, std::string_view text)
{
    tokenizer.Defaults();
    tokenizer.AddLine(text);
    std::vector<double> values(static_cast<std::size_t>(tokenizer.Number()));
    for (int k = 1; k <= tokenizer.Number(); ++k)
        values[static_cast<std::size_t>(k - 1)] = lenientNumber(tokenizer.View(k));
    return values;
}

std::vector<int> iDataFill(classParseLine& tokenizer, std::string_view text)
{
    std::vector<double> numbers = dDataFill(tokenizer, text);
    std::vector<int> values(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) values[i] = roundHalfEven(numbers[i]);
    return values;
}

std::string FileStem(std::string_view name)
{
    classParseLine dots;
    dots.DeleteAllParseChars();
    dots.AddParseChar(".");
    dots.AddLine(name);
    return std::string(dots.View(1));
}

}  // namespace vexora
