// The one place where the program's 8-bit text meets Qt's strings. The logic keeps bytes; the
// window shows them, and turns what the user types into bytes, through one code page.
#pragma once

#include <QString>
#include <Qt>
#include <string>
#include <string_view>

namespace quorvia::ui {

// The code page when none is chosen: the locale's, which Qt 6 takes to be UTF-8.
inline constexpr const char* kDefaultCodePage = "UTF-8";

// Chooses the code page by any name QStringDecoder knows; false, and nothing changes, when it
// knows no such name.
bool setCodePage(const QString& name);
bool isKnownCodePage(const QString& name);
QString codePage();

// Bytes as shown. Under UTF-8 a text that is not valid UTF-8 is read as Windows-1252, so it
// shows its letters instead of replacement characters.
QString toQString(std::string_view bytes);
// A text as one line of the tree shows it: a text far longer than any window (a path of
// megabytes named in the settings file) keeps its start and its end around an ellipsis, and only
// those are decoded.
QString toShownLine(std::string_view bytes);
// The same for a text already decoded, at most `longest` characters.
QString elidedInTheMiddle(const QString& text, qsizetype longest);

// The program's own texts (its messages, with the file names in them) are UTF-8 whatever
// code page the database is shown in; read with the same Windows-1252 fallback.
QString fromProgramText(std::string_view bytes);
// Typed text as bytes in the code page.
std::string toBytes(const QString& text);
// What a dialog's field writes back: the very bytes it was shown with while its text is
// unchanged (whatever those bytes are), else the text in the code page.
std::string fieldBytes(const QString& text, std::string_view shown);

// A search for a text in display texts as the user sees them: decoded through the code page,
// and with the case ignored by Unicode's rules unless asked otherwise.
class TextSearch final {
public:
    TextSearch(const QString& needle, bool matchCase);
    bool matches(std::string_view bytes) const;

private:
    QString m_needle;
    Qt::CaseSensitivity m_case;
    // An ASCII needle is found in the bytes themselves: no byte above 127 shows as an ASCII
    // letter, so nothing needs decoding.
    bool m_ascii = false;
    std::string m_asciiNeedle;  // lower case when the case is ignored
};

}  // namespace quorvia::ui
