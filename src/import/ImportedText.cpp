#include "import/ImportedText.h"

#include <algorithm>
#include <array>

#include "platform/TextFiles.h"

namespace quorvia::importing {

namespace {

constexpr const char* kNothingImported = " Nothing was imported.";

std::string lineOf(const std::string& path, int line) {
    return "Line " + std::to_string(line) + " of \"" + path + "\"";
}

// CR LF, CR and LF each become one blank.
std::string withBlanksForLineBreaks(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            joined.push_back(' ');
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            joined.push_back(text[i]);
        }
    }
    return joined;
}

// NUL, CR, LF, ";" and every byte above 127, looked up in one table for the millions of texts
// of a large outline.
constexpr std::array<bool, 256> kNeedsCare = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {'\0', '\r', '\n', ';'}) {
        table[c] = true;
    }
    for (size_t c = 0x80; c < table.size(); ++c) {
        table[c] = true;
    }
    return table;
}();

bool needsCare(char c) {
    return kNeedsCare[static_cast<unsigned char>(c)];
}

}  // namespace

bool appendRecordField(std::string& record, std::string_view text,
                       const platform::TextCodec& codec, const std::string& path, int line,
                       std::string& refusal) {
    // Most texts are plain: nothing to refuse, to join or to convert.
    if (std::none_of(text.begin(), text.end(), needsCare)) {
        record.append(text);
        return true;
    }
    if (text.find('\0') != std::string_view::npos) {
        refusal = platform::nulLineMessage(path, line);
        return false;
    }
    const std::string field = withBlanksForLineBreaks(text);
    if (field.find(';') != std::string::npos) {
        refusal = lineOf(path, line) + " holds a semicolon (\";\") in \"" + field +
                  "\": the phone and the next load would split the text there." + kNothingImported;
        return false;
    }
    if (!platform::isValidUtf8(field)) {
        record.append(field);
        return true;
    }
    std::string why;
    const auto bytes = platform::fromUtf8(codec, field, why);
    if (!bytes) {
        refusal = lineOf(path, line) + ": " + why + kNothingImported;
        return false;
    }
    record.append(*bytes);
    return true;
}

}  // namespace quorvia::importing
