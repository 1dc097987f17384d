#include "import/ImportedText.h"

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

}  // namespace

std::optional<std::string> recordField(std::string_view text, const platform::TextCodec& codec,
                                       const std::string& path, int line, std::string& refusal) {
    if (text.find('\0') != std::string_view::npos) {
        refusal = platform::nulLineMessage(path, line);
        return std::nullopt;
    }
    const bool lineBreaks = text.find_first_of("\r\n") != std::string_view::npos;
    std::string field = lineBreaks ? withBlanksForLineBreaks(text) : std::string(text);
    if (field.find(';') != std::string::npos) {
        refusal = lineOf(path, line) + " holds a semicolon (\";\") in \"" + field +
                  "\": the phone and the next load would split the text there." + kNothingImported;
        return std::nullopt;
    }
    if (!platform::isValidUtf8(field)) {
        return field;
    }
    std::string why;
    auto bytes = platform::fromUtf8(codec, field, why);
    if (!bytes) {
        refusal = lineOf(path, line) + ": " + why + kNothingImported;
    }
    return bytes;
}

}  // namespace quorvia::importing
