#include "core/mesh/ViewerModelRead.h"

#include <bit>
#include <unordered_map>

namespace vexora {

namespace {

constexpr std::size_t kHeaderBytes = 200;
constexpr std::size_t kDirectory = kHeaderBytes + 100;
constexpr std::size_t kBlockCount = 5;

// Little-endian reads within [0, end) of the bytes; a read past the end
// sets `failed` and `why` and gives 0.
class Reader {
public:
    Reader(std::string_view bytes, std::string& why) : bytes_(bytes), why_(why) {}

    void seek(std::size_t at, std::size_t end, const char* part)
    {
        at_ = at, end_ = std::min(end, bytes_.size()), part_ = part;
        if (at > bytes_.size() || end > bytes_.size())
            fail("the " + std::string(part) + " block runs from byte " + std::to_string(at + 1) + " to " +
                 std::to_string(end) + ", past the end of the file (" + std::to_string(bytes_.size()) + " bytes)");
    }
    bool failed() const { return failed_; }
    std::size_t left() const { return at_ < end_ ? end_ - at_ : 0; }

    std::uint64_t unsignedOf(std::size_t size)
    {
        if (failed_ || left() < size) {
            fail("the " + std::string(part_) + " block ends at byte " + std::to_string(end_) +
                 " in the middle of a record");
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t k = 0; k < size; ++k)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[at_ + k])) << (8 * k);
        at_ += size;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(unsignedOf(4))); }
    double f64() { return std::bit_cast<double>(unsignedOf(8)); }
    std::string text(std::size_t size)
    {
        if (failed_ || left() < size) {
            fail("a name in the " + std::string(part_) + " block runs past its end");
            return {};
        }
        std::string t(bytes_.substr(at_, size));
        at_ += size;
        return t;
    }
    // A record count that the rest of the block can hold at `recordBytes` each.
    std::size_t count(std::size_t recordBytes)
    {
        const std::int32_t n = i32();
        if (!failed_ && (n < 0 || static_cast<std::size_t>(n) > left() / recordBytes))
            fail("the " + std::string(part_) + " block claims " + std::to_string(n) + " records of " +
                 std::to_string(recordBytes) + " bytes in " + std::to_string(left()) + " bytes");
        return failed_ ? 0 : static_cast<std::size_t>(n);
    }
    void fail(const std::string& why)
    {
        if (!failed_) why_ = why;
        failed_ = true;
    }

private:
    std::string_view bytes_;
    std::string& why_;
    std::size_t at_ = 0, end_ = 0;
    const char* part_ = "";
    bool failed_ = false;
};

bool startsAsViewerFile(std::string_view b)
{
    return b.size() >= 2 * kHeaderBytes && b[0] == 'V' && b[2] == 'X' && b[4] == 'R' && b[kHeaderBytes] == 'V' &&
           b[kHeaderBytes + 2] == 'W' && b[kHeaderBytes + 4] == 'R';
}

}  // namespace

const std::vector<double>* ViewerModel::quantity(std::string_view name) const
{
    for (std::size_t q = 0; q < quantities.size(); ++q)
        if (quantities[q] == name) return &values[q];
    return nullptr;
}

std::string ViewerModel::lacking(std::string_view name) const
{
    std::string why = "the model holds no " + std::string(name) + " (it holds";
    for (const std::string& q : quantities) why += " " + q;
    return why + ")";
}

ViewerReadStatus readViewerModel(std::string_view bytes, ViewerModel& model, std::string& why)
{
    if (!startsAsViewerFile(bytes)) {
        why = "not a viewer model file (no \"VXR\" and \"VWR\" headers)";
        return ViewerReadStatus::NotViewerFile;
    }
    Reader in(bytes, why);
    std::array<std::size_t, kBlockCount> start{}, end{};
    in.seek(kDirectory, kDirectory + 8 * kBlockCount, "directory");
    for (std::size_t b = 0; b < kBlockCount; ++b) {
        const std::int32_t offset = in.i32(), size = in.i32();
        if (offset < 1 || size < 8) in.fail("block " + std::to_string(b + 1) + " has offset " +
                                            std::to_string(offset) + " and size " + std::to_string(size));
        start[b] = kHeaderBytes + static_cast<std::size_t>(std::max(offset, 1)) - 1;
        end[b] = start[b] + static_cast<std::size_t>(std::max(size, 0));
    }
    if (in.failed()) return ViewerReadStatus::Damaged;

    ViewerModel read;
    in.seek(start[0], end[0], "node");
    (void)in.i32();
    const std::size_t nodes = in.count(28);
    std::unordered_map<std::int32_t, std::int32_t> indexOf;
    for (std::size_t k = 0; k < nodes && !in.failed(); ++k) {
        const std::int32_t number = in.i32();
        const double x = in.f64(), y = in.f64(), z = in.f64();
        indexOf.emplace(number, static_cast<std::int32_t>(k));
        read.nodeNumbers.push_back(number);
        read.nodes.push_back({x, y, z});
    }
    in.seek(start[1], end[1], "block");
    (void)in.i32();
    const std::size_t blocks = in.count(32);
    for (std::size_t e = 0; e < blocks && !in.failed(); ++e) {
        std::array<std::int32_t, 8> corner{};
        for (std::int32_t& c : corner) {
            const std::int32_t number = in.i32();
            const auto found = indexOf.find(number);
            if (found == indexOf.end() && !in.failed())
                in.fail("block " + std::to_string(e + 1) + " names node " + std::to_string(number) +
                        ", which the node block does not hold");
            c = found == indexOf.end() ? 0 : found->second;
        }
        read.blocks.push_back(corner);
    }
    in.seek(start[2], end[2], "value");
    (void)in.i32();
    const std::int32_t valued = in.i32();
    if (!in.failed() && static_cast<std::size_t>(valued) != blocks)
        in.fail("the value block holds " + std::to_string(valued) + " blocks, the block list " +
                std::to_string(blocks));
    const std::size_t quantities = in.count(4);
    for (std::size_t q = 0; q < quantities && !in.failed(); ++q) {
        const std::size_t length = in.count(1);
        read.quantities.push_back(in.text(length));
    }
    if (!in.failed() && quantities > 0 && in.left() / (8 * quantities) < blocks)
        in.fail("the value block holds fewer values than " + std::to_string(blocks) + " blocks need");
    read.values.assign(quantities, std::vector<double>(in.failed() ? 0 : blocks));
    for (std::size_t e = 0; e < blocks && !in.failed(); ++e)
        for (std::size_t q = 0; q < quantities; ++q) read.values[q][e] = in.f64();
    in.seek(start[3], end[3], "electrode");
    (void)in.i32();
    const std::size_t electrodes = in.count(32);
    for (std::size_t k = 0; k < electrodes && !in.failed(); ++k) {
        ViewerElectrode e;
        e.cable = in.i32(), e.number = in.i32();
        e.x = in.f64(), e.y = in.f64(), e.z = in.f64();
        read.electrodes.push_back(e);
    }
    if (in.failed()) return ViewerReadStatus::Damaged;
    model = std::move(read);
    return ViewerReadStatus::Read;
}

}  // namespace vexora
