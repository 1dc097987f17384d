// The one place where the program's 8-bit text meets Qt's strings. The logic keeps bytes; the
// window shows them, and turns what the user types into bytes, through one code page.
#pragma once

#include <QString>
#include <Qt>
#include <optional>
#include <string>
#include <string_view>

namespace quorvia::ui {

// The code page when none is chosen: the locale's, which Qt 6 takes to be UTF-8.
inline constexpr const char* kDefaultCodePage = "UTF-8";

// Chooses the code page by any name QStringDecoder knows; false, and nothing changes, when it
// knows no such name or the page cannot carry the database format.
bool setCodePage(const QString& name);
bool isKnownCodePage(const QString& name);
// Whether ASCII text is written as its own bytes and read back from them, as the database
// format needs for its TAB, ";", CR and LF (not so in UTF-16, UTF-7, EBCDIC or ISO-2022).
bool keepsAsciiAsItself(const QString& name);
QString codePage();

// Bytes as shown. Under UTF-8 a text that is not valid UTF-8 is read as Windows-1252, so it
// shows its letters instead of replacement characters; each field (between ":" and ";") on its
// own, so a field typed in UTF-8 beside one in Latin-1 keeps its letters too.
QString toQString(std::string_view bytes);
// A text as one line of the tree shows it: a text far longer than any window (a path of
// megabytes named in the settings file) keeps its start and its end around an ellipsis, and only
// those are decoded.
QString toShownLine(std::string_view bytes);
// Whether the line shown for `bytes` starts with `prefix`, case-blind: a printable ASCII start
// decides from the bytes themselves, anything else from the decoded line.
bool shownLineStartsWith(std::string_view bytes, const QString& prefix);
// The same for a text already decoded, at most `longest` characters.
QString elidedInTheMiddle(const QString& text, qsizetype longest);

// The program's own texts (its messages) are UTF-8 whatever code page the database is shown in.
// A file name quoted in them is in the system's bytes: where those are not UTF-8 they show as the
// system shows such a name, without turning the program's own words into another code page.
QString fromProgramText(std::string_view bytes);
// Typed text as bytes in the code page.
std::string toBytes(const QString& text);
// What a dialog's field writes back: the very bytes it was shown with while its text is
// unchanged (whatever those bytes are), else the text in the code page.
std::string fieldBytes(const QString& text, std::string_view shown);
// The first character of `text` the code page cannot write, if any.
std::optional<QString> firstUnwritableCharacter(const QString& text);
// What the user is told of a text that holds such a character; nothing when it can be written.
std::optional<std::string> unwritableTextMessage(const QString& text);
// Why a dialog's field cannot be written, once the user changed it: a semicolon, where the phone
// and the next load split the record, or a character the code page cannot write. Nothing for a
// field that still holds the text it was shown with, which is written back as its bytes.
std::optional<std::string> fieldRefusal(const QString& text, std::string_view shown);

// A search for a text in display texts as the user sees them: decoded through the code page,
// and with the case ignored by Unicode's rules unless asked otherwise.
class TextSearch final {
public:
    TextSearch(const QString& needle, bool matchCase);
    bool matches(std::string_view bytes) const;
    // `bytes` with every occurrence replaced by `replacement`, given also as its bytes in the
    // code page; nothing when there is none. Where the search works on the bytes, the bytes
    // around the occurrences stay as they are; else the text is written back in the code page.
    std::optional<std::string> replaceIn(std::string_view bytes, const QString& replacement,
                                         std::string_view replacementBytes) const;

private:
    // Where the needle starts in `bytes` from `from` on, when the search works on bytes.
    size_t findBytes(std::string_view bytes, size_t from) const;
    // A text of ASCII bytes alone holds no needle beyond ASCII.
    bool cannotHold(std::string_view bytes) const;

    QString m_needle;
    Qt::CaseSensitivity m_case;
    bool m_needleIsAscii = false;
    // An ASCII needle is found in the bytes themselves where no byte above 127 can be part of a
    // character with an ASCII byte in it (UTF-8 and single-byte code pages), so nothing needs
    // decoding.
    bool m_ascii = false;
    std::string m_asciiNeedle;  // lower case when the case is ignored
};

}  // namespace quorvia::ui
