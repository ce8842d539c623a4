// "!" comments of configuration and data files.

#include <cstring>

#include "settings/Configuration.h"

namespace vexora {

int funRemoveComments(std::string& text)
{
    std::size_t bang = text.find('!');
    if (bang == std::string::npos) return 0;
    // Compact in place: each comment runs from its "!" to the line break,
    // which stays (CR LF, or LF alone), or to the end of the text.
    const std::size_t n = text.size();
    std::size_t write = bang;
    while (bang < n) {
        const std::size_t lf = text.find('\n', bang);
        std::size_t keepFrom = lf == std::string::npos ? n : lf;
        if (lf != std::string::npos && keepFrom > bang + 1 && text[keepFrom - 1] == '\r') --keepFrom;
        const std::size_t nextBang = text.find('!', keepFrom);
        const std::size_t keepTo = nextBang == std::string::npos ? n : nextBang;
        std::memmove(text.data() + write, text.data() + keepFrom, keepTo - keepFrom);
        write += keepTo - keepFrom;
        bang = keepTo;
    }
    text.resize(write);
    return 0;
}

}  // namespace vexora
