#include "cli/text_writer.h"

#include <string>

namespace pw::cli {

void writeText(std::ostream& out, const std::vector<ListedRow>& rows) {
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].group != rows[i - 1].group) {
            text += '\n';
        }
        text += rows[i].row->folder;
        text += rows[i].row->name;
        text += '\n';
        if (text.size() >= 64 * 1024) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

} // namespace pw::cli
