// The configuration reader: scans a text for tag lines and applies them to
// the settings table, the column-layout records, the sequence header and the
// block bounds.

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "core/settings/Configuration.h"
#include "core/settings/ConfigurationReading.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

using namespace configuration;

namespace configuration {

namespace {

// Far beyond any real tag line (a list of 100,000 pad widths fits), but it
// keeps a corrupt file from building a token table of gigabytes.
constexpr std::size_t kMaxTagLineLength = 1'000'000;

// Long tokens are cut in messages; a 100,000-character value helps nobody.
std::string quoted(std::string_view token)
{
    constexpr std::size_t kShown = 40;
    if (token.size() <= kShown) return std::string(token);
    return std::string(token.substr(0, kShown)) + "...";
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

const std::unordered_map<std::string_view, int>& catalogueIndex()
{
    static const std::unordered_map<std::string_view, int> index = [] {
        std::unordered_map<std::string_view, int> m;
        for (int i = 0; i < kCatalogueSize; ++i) m.emplace(ItemCatalogue()[static_cast<std::size_t>(i)].description, i);
        return m;
    }();
    return index;
}

}  // namespace

double TagLine::number(int k) const
{
    double v = lenientNumber(token(k));
    if (!std::isfinite(v))
        throw ReadFailure("Value " + quoted(token(k)) + " of " + tag_ +
                          " is too large for a number; configuration not applied.");
    return v;
}

void TagLine::outOfRange(int k, std::string_view what, std::string_view range) const
{
    throw ReadFailure("Value " + quoted(token(k)) + " of " + tag_ + " is not " + std::string(what) + " in the range " +
                      std::string(range) + "; configuration not applied.");
}

Column TagLine::column(int k) const
{
    auto c = toInt16Truncated(number(k));
    if (!c) outOfRange(k, "a column number", "-32768..32767");
    return *c;
}

std::string_view TagLine::restOfLine() const
{
    std::string_view tagToken = tokens_.View(1);
    std::size_t from = static_cast<std::size_t>(tagToken.data() - tokens_.Line().data()) + tagToken.size() + 1;
    return from >= line_.size() ? std::string_view() : line_.substr(from);
}

void ReadState::indexRows()
{
    rows_.fill(std::nullopt);
    const auto& index = catalogueIndex();
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        auto it = index.find(table.rows[r].description);
        if (it == index.end()) continue;
        auto& row = rows_[static_cast<std::size_t>(it->second)];
        if (!row) row = r;
    }
}

static ReadFailure missingRow(Item item)
{
    return ReadFailure("The settings table has no row \"" + std::string(description(item)) +
                       "\"; configuration not applied.");
}

std::size_t ReadState::rowOf(Item item) const
{
    const auto& row = rows_[static_cast<std::size_t>(item)];
    if (!row) throw missingRow(item);
    return *row;
}

void ReadState::insertAnomalyRows()
{
    // IP rows first: they lie below the resistivity count, so the resistivity
    // rows inserted afterwards do not move the IP count row found here.
    auto insert = [&](Item countItem, Item label, const std::vector<std::string>& texts) {
        if (texts.empty()) return;
        const auto countRow = FindSettingRow(table, countItem);
        if (!countRow) throw missingRow(countItem);
        // The k-th anomaly sits k rows below its count row, so new ones go
        // below those already counted. A count that makes no sense counts 0.
        const double counted = lenientNumber(table.rows[*countRow].value);
        const std::size_t before = counted >= 1 && counted <= 1e9 ? static_cast<std::size_t>(std::llround(counted)) : 0;
        const std::size_t at = std::min(*countRow + 1 + before, table.rows.size());
        std::vector<SettingRow> block;
        block.reserve(texts.size());
        for (const std::string& text : texts) block.push_back({std::string(description(label)), text, false});
        table.rows.insert(table.rows.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(block.begin()),
                          std::make_move_iterator(block.end()));
        table.rows[*countRow].value = " " + std::to_string(before + texts.size()) + " ";
    };
    insert(Item::IpAnomalyCount, Item::IpAnomaly, ipAnomalies);
    insert(Item::ResistivityAnomalyCount, Item::ResistivityAnomaly, resistivityAnomalies);
}

namespace {

// Whether only blanks stand between the previous line break and `at`.
bool startsLine(std::string_view text, std::size_t at)
{
    while (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
    return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

void applySequenceHeaderTag(ReadState& s, const TagLine& l)
{
    SequenceHeader& h = s.sequence;
    const std::string& t = l.tag();
    if (t == "#ss") h.dataKindName = "Stream Data";
    else if (t == "#st") h.dataKindName = "Time Domain Data";
    else if (t == "#sf") h.dataKindName = "Frequency Domain Data";
    else if (t == "#sj") h.dataKindName = "Self Potential Data";
    else if (t == "#sp") h.dataKindName = "Spectral IP Data";
    else if (t == "#tfrequ" || t == "#ffrequ") h.frequency = l.number(1);
    else if (t == "#tstcks" || t == "#fstcks") {
        auto stacks = toInt16Rounded(l.number(1));
        if (!stacks) l.outOfRange(1, "a stack count", "-32768..32767");
        h.stacks = *stacks;
    }
    else if (t == "#trdely") h.delay = l.number(1);
    else if (t == "#tlngtr") h.length = l.number(1);
    else if (t == "#tipdly") h.ipDelay = l.number(1);
    else if (t == "#tchrg") h.chargeability = true;
    else if (t.starts_with("#tw")) {
        if (h.windowCount == std::numeric_limits<std::int16_t>::max())
            throw ReadFailure("More than 32767 IP window tags (#tw...); configuration not applied.");
        ++h.windowCount;
    }
    // All other sequence tags carry instrument details the workbench does not use.
}

// Block markers record where the lines between them lie. `lineStart` is the
// first character of the marker's line, `next` the first after its line break.
void applyMarker(ReadState& s, BlockMark mark, long long lineStart, long long next)
{
    switch (mark) {
    case BlockMark::None: break;
    case BlockMark::ElectrodeStart: s.electrodeBlock.start = next; break;
    case BlockMark::ElectrodeEnd: s.electrodeBlock.end = lineStart; break;
    case BlockMark::DataStart: s.dataBlock.start = next; break;
    case BlockMark::DataEnd: s.dataBlock.end = lineStart; break;
    case BlockMark::TopographyStart: s.topographyBlock.start = next; break;
    case BlockMark::TopographyEnd: s.topographyBlock.end = lineStart; break;
    }
}

void applyColumnTag(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    auto refuse = [&] { s.warn(rejectionMessage(rulePrefix(spec.rule), l.tag())); };
    switch (spec.kind) {
    case TagKind::ElectrodeColumn:
    case TagKind::DataColumn:
    case TagKind::TopographyColumn: {
        Column c = l.column(1);
        if (rejects(spec.rule, c)) return refuse();
        if (spec.electrodeField) s.electrode.*spec.electrodeField = c;
        else if (spec.dataField) s.data.*spec.dataField = c;
        else s.topography.*spec.topographyField = c;
        return;
    }
    case TagKind::DataColumnList: {
        // One column per IP window; the rule applies to the first.
        std::vector<Column> columns(static_cast<std::size_t>(l.valueCount()));
        for (int k = 1; k <= l.valueCount(); ++k) columns[static_cast<std::size_t>(k - 1)] = l.column(k);
        if (rejects(spec.rule, columns.front())) return refuse();
        s.data.*spec.dataList = std::move(columns);
        return;
    }
    case TagKind::DataKind: {
        double v = l.number(1);
        if (rejects(spec.rule, v)) return refuse();
        s.data.dataKind = static_cast<Column>(v);  // 1 or 2 once accepted
        return;
    }
    case TagKind::IpScale: {
        double v = l.number(1);
        if (rejects(spec.rule, v)) return refuse();
        s.data.ipScale = v;
        return;
    }
    default: return;
    }
}

void scan(ReadState& s, std::string_view text)
{
    classParseLine tokens;
    tokens.AddParseChar("=");
    const std::size_t n = text.size();
    std::size_t pos = 0;
    while (pos < n) {
        const std::size_t hash = text.find('#', pos);
        if (hash == std::string_view::npos) break;
        // A tag line runs to the line feed; a carriage return before it is
        // part of the line break, so CR LF, LF and mixed files read alike.
        const std::size_t lf = text.find('\n', hash);
        const std::size_t next = lf == std::string_view::npos ? n : lf + 1;
        std::string_view line = text.substr(hash, (lf == std::string_view::npos ? n : lf) - hash);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t scanned = pos;
        pos = next;
        if (line.size() > kMaxTagLineLength) {
            s.warn("Tag line of " + std::to_string(line.size()) + " characters ignored (at most " +
                   std::to_string(kMaxTagLineLength) + " allowed): " + quoted(line));
            continue;
        }

        tokens.AddLine(line);
        if (tokens.Number() == 0) continue;
        TagLine tagLine(tokens, line, lowerAscii(tokens.View(1)));
        const std::string& tag = tagLine.tag();

        if (isSequenceHeaderTag(tag)) {
            // Instrument sequence headers put these tags first on their
            // lines; one met inside a row ("0.000#st") is a damaged value,
            // not a reason to read the whole file as a sequence.
            if (startsLine(text, hash)) applySequenceHeaderTag(s, tagLine);
            continue;
        }
        const TagSpec* spec = findTag(tag);
        const bool marker = spec && spec->kind == TagKind::Marker;
        if (tagLine.valueCount() == 0 && !marker) {
            s.valuelessTags.warn("No numeric value specified for TAG: " + tag);
            continue;
        }
        if (!spec) {
            s.unknownTags.warn("Warning: unrecognized configuration tag: " + std::string(line));
            continue;
        }
        switch (spec->kind) {
        case TagKind::Marker: {
            // The marker's line starts after the last line feed before the "#".
            const std::size_t before = text.substr(scanned, hash - scanned).rfind('\n');
            const std::size_t lineStart = before == std::string_view::npos ? scanned : scanned + before + 1;
            applyMarker(s, spec->mark, static_cast<long long>(lineStart), static_cast<long long>(next));
            break;
        }
        case TagKind::Ignored: break;
        case TagKind::ElectrodeColumn:
        case TagKind::DataColumn:
        case TagKind::DataColumnList:
        case TagKind::DataKind:
        case TagKind::IpScale:
        case TagKind::TopographyColumn: applyColumnTag(s, *spec, tagLine); break;
        default: applySettingTag(s, *spec, tagLine); break;
        }
    }
    s.unknownTags.reportHeldBack();
    s.valuelessTags.reportHeldBack();
}

}  // namespace
}  // namespace configuration

ConfigurationStatus funLoadConfiguration(std::string_view text, BlockBounds& electrodeBlock, BlockBounds& dataBlock,
                                         BlockBounds& topographyBlock, ElectrodeFormat& electrodeFormat,
                                         DataFormat& dataFormat, TopographyFormat& topographyFormat,
                                         SequenceHeader& sequenceHeader, SettingsTable& table, MessageLog& log,
                                         AnomalyTags anomalies)
{
    if (text.find('#') == std::string_view::npos) return ConfigurationStatus::NoTags;

    ReadState s(log);
    s.table = table;
    s.electrode = electrodeFormat;
    s.data = dataFormat;
    s.topography = topographyFormat;
    s.sequence = sequenceHeader;
    s.data.ipWindowColumns = {kNotUsed};
    s.data.ipStdColumns = {kNotUsed};
    try {
        s.indexRows();
        scan(s, text);
        settleColumnLayouts(s);
        if (anomalies == AnomalyTags::Add) s.insertAnomalyRows();
    }
    catch (const ReadFailure& failure) {
        log.logError(kReaderSource, failure.what());
        return ConfigurationStatus::Failed;
    }
    catch (const std::exception& failure) {
        log.logError(kReaderSource, std::string("Configuration not applied: ") + failure.what());
        return ConfigurationStatus::Failed;
    }

    table = std::move(s.table);
    electrodeFormat = s.electrode;
    dataFormat = std::move(s.data);
    topographyFormat = s.topography;
    sequenceHeader = std::move(s.sequence);
    electrodeBlock = s.electrodeBlock;
    dataBlock = s.dataBlock;
    topographyBlock = s.topographyBlock;
    return ConfigurationStatus::Read;
}

}  // namespace vexora
