#include "ui/Text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <optional>

#include "model/NodeRecord.h"
#include "platform/TextCodec.h"

namespace quorvia::ui {

namespace {

constexpr const char* kUtf8Fallback = "windows-1252";
constexpr auto kStateless = QStringConverter::Flag::Stateless;

// The chosen code page's converters; none for UTF-8, which Qt converts itself.
struct CodePage {
    QString name = QString::fromLatin1(kDefaultCodePage);
    std::optional<QStringDecoder> decoder;
    std::optional<QStringEncoder> encoder;
    // False where a byte above 127 may begin a character whose next byte is ASCII (Shift_JIS,
    // GBK, Big5): an ASCII text can then not be looked for among the bytes themselves.
    bool asciiBytesAreCharacters = true;
};

CodePage& codePageInUse() {
    static CodePage current;
    return current;
}

QString decodeUtf8Field(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, kStateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    static QStringDecoder fallback(kUtf8Fallback, kStateless);
    fallback.resetState();
    return fallback(bytes);
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A text far longer than this is shown cut in the middle.
constexpr size_t kLongestShown = 4096;

bool isFieldSeparator(char c) {
    return c == ':' || c == ';';
}

QString decodeUtf8(QByteArrayView bytes) {
    // ASCII reads as itself in UTF-8, whatever the fields: most texts are ASCII only.
    if (!bytes.isEmpty() && platform::isAscii(std::string_view(bytes.data(), bytes.size()))) {
        return QString::fromLatin1(bytes);
    }
    if (std::none_of(bytes.begin(), bytes.end(), isFieldSeparator)) {
        return decodeUtf8Field(bytes);
    }
    // No UTF-8 character holds an ASCII byte, so cutting at the separators cuts none.
    QString text;
    text.reserve(bytes.size());
    qsizetype fieldStart = 0;
    for (qsizetype at = 0; at <= bytes.size(); ++at) {
        if (at == bytes.size() || isFieldSeparator(bytes[at])) {
            text += decodeUtf8Field(bytes.sliced(fieldStart, at - fieldStart));
            if (at < bytes.size()) {
                text += QLatin1Char(bytes[at]);
            }
            fieldStart = at + 1;
        }
    }
    return text;
}

// Whether some byte above 127 followed by an ASCII byte reads as one character.
bool hasAsciiTrailBytes(QStringDecoder& decoder) {
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (const char trail : {'@', 'A', '\\', 'a'}) {
            const char pair[] = {static_cast<char>(lead), trail};
            decoder.resetState();
            const QString read = decoder(QByteArrayView(pair, 2));
            if (!read.endsWith(QLatin1Char(trail))) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool setCodePage(const QString& name) {
    if (!keepsAsciiAsItself(name)) {
        return false;
    }
    const QByteArray encoded = name.toLatin1();
    QStringDecoder decoder(encoded.constData(), kStateless);
    QStringEncoder encoder(encoded.constData(), kStateless);
    CodePage& current = codePageInUse();
    current.name = name;
    if (QString::fromLatin1(decoder.name()).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) ==
        0) {
        current.decoder.reset();
        current.encoder.reset();
        current.asciiBytesAreCharacters = true;
    } else {
        current.asciiBytesAreCharacters = !hasAsciiTrailBytes(decoder);
        current.decoder.emplace(std::move(decoder));
        current.encoder.emplace(std::move(encoder));
    }
    return true;
}

bool keepsAsciiAsItself(const QString& name) {
    const QByteArray encoded = name.toLatin1();
    QStringDecoder decoder(encoded.constData(), kStateless);
    QStringEncoder encoder(encoded.constData(), kStateless);
    if (!decoder.isValid() || !encoder.isValid()) {
        return false;
    }
    // TAB, CR, LF and the printable characters; and SO, SI and ESC, with which a code page that
    // shifts (ISO-2022) would hide format bytes inside its characters. Some pages swap other
    // control bytes, which no database text holds.
    QByteArray ascii("\t\n\r\x0E\x0F\x1B");
    for (char c = ' '; c < 0x7F; ++c) {
        ascii.append(c);
    }
    const QString text = QString::fromLatin1(ascii);
    const QByteArray written = encoder(text);
    const QString read = decoder(ascii);
    return !encoder.hasError() && !decoder.hasError() && written == ascii && read == text;
}

bool isKnownCodePage(const QString& name) {
    const QByteArray encoded = name.toLatin1();
    return QStringDecoder(encoded.constData()).isValid() &&
           QStringEncoder(encoded.constData()).isValid();
}

QString codePage() {
    return codePageInUse().name;
}

QString toQString(std::string_view bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    CodePage& current = codePageInUse();
    if (!current.decoder) {
        return decodeUtf8(view);
    }
    current.decoder->resetState();
    return (*current.decoder)(view);
}

QString elidedInTheMiddle(const QString& text, qsizetype longest) {
    if (text.size() <= longest) {
        return text;
    }
    const qsizetype kept = (longest - 1) / 2;
    return text.left(kept) + QChar(0x2026) + text.right(kept);
}

QString toShownLine(std::string_view bytes) {
    if (bytes.size() <= kLongestShown) {
        return toQString(bytes);
    }
    // Cut between characters: never before a UTF-8 continuation byte.
    auto isContinuation = [&](size_t at) { return (bytes[at] & 0xC0) == 0x80; };
    size_t headEnd = kLongestShown / 2;
    while (headEnd > 0 && isContinuation(headEnd)) {
        --headEnd;
    }
    size_t tailStart = bytes.size() - kLongestShown / 2;
    while (tailStart < bytes.size() && isContinuation(tailStart)) {
        ++tailStart;
    }
    return toQString(bytes.substr(0, headEnd)) + QChar(0x2026) +
           toQString(bytes.substr(tailStart));
}

bool shownLineStartsWith(std::string_view bytes, const QString& prefix) {
    // Printable ASCII bytes before any other show as themselves in every code page in use and
    // in the UTF-8 decoding, so as far as they reach they decide without decoding.
    if (bytes.size() <= kLongestShown) {
        for (qsizetype i = 0;; ++i) {
            if (i == prefix.size()) {
                return true;
            }
            const QChar wanted = prefix[i];
            if (static_cast<size_t>(i) == bytes.size()) {
                // All printable ASCII so far: the shown text ends here.
                return false;
            }
            const char byte = bytes[static_cast<size_t>(i)];
            if (byte < 0x20 || byte > 0x7E || wanted.unicode() < 0x20 || wanted.unicode() > 0x7E) {
                break;
            }
            if (asciiLower(byte) != asciiLower(static_cast<char>(wanted.unicode()))) {
                return false;
            }
        }
    }
    return toShownLine(bytes).startsWith(prefix, Qt::CaseInsensitive);
}

QString fromProgramText(std::string_view bytes) {
    // Invalid bytes can only come from a quoted file name; each shows as the replacement
    // character, as the system's own file dialogs show such a name.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text) {
    CodePage& current = codePageInUse();
    if (!current.encoder) {
        return text.toUtf8().toStdString();
    }
    current.encoder->resetState();
    const QByteArray bytes = (*current.encoder)(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string fieldBytes(const QString& text, std::string_view shown) {
    if (text == toQString(shown)) {
        return std::string(shown);
    }
    return toBytes(text);
}

std::optional<QString> firstUnwritableCharacter(const QString& text) {
    CodePage& current = codePageInUse();
    if (!current.encoder) {
        return std::nullopt;  // UTF-8 writes every character
    }
    const auto readsBack = [&current](const QString& part) {
        current.encoder->resetState();
        current.decoder->resetState();
        const QByteArray written = (*current.encoder)(part);
        const QString read = (*current.decoder)(written);
        return read == part;
    };
    if (readsBack(text)) {
        return std::nullopt;
    }
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(at, length);
        if (!readsBack(character)) {
            return character;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string> fieldRefusal(const QString& text, std::string_view shown) {
    if (text == toQString(shown)) {
        return std::nullopt;  // written back as the bytes it was shown from
    }
    if (text.contains(QLatin1Char(';'))) {
        return model::semicolonInFieldMessage(text.toStdString());
    }
    return unwritableTextMessage(text);
}

std::optional<std::string> unwritableTextMessage(const QString& text) {
    const std::optional<QString> character = firstUnwritableCharacter(text);
    if (!character) {
        return std::nullopt;
    }
    return QStringLiteral("The character \"%1\" cannot be written in the code page %2.")
        .arg(*character, codePage())
        .toStdString();
}

TextSearch::TextSearch(const QString& needle, bool matchCase)
    : m_needle(needle), m_case(matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive) {
    m_needleIsAscii =
        std::all_of(needle.begin(), needle.end(), [](QChar c) { return c.unicode() < 128; });
    m_ascii = codePageInUse().asciiBytesAreCharacters && !needle.isEmpty() && m_needleIsAscii;
    if (m_ascii) {
        m_asciiNeedle = needle.toLatin1().toStdString();
        if (!matchCase) {
            std::transform(m_asciiNeedle.begin(), m_asciiNeedle.end(), m_asciiNeedle.begin(),
                           asciiLower);
        }
    }
}

size_t TextSearch::findBytes(std::string_view bytes, size_t from) const {
    if (m_case == Qt::CaseSensitive) {
        return bytes.find(m_asciiNeedle, from);
    }
    if (bytes.size() < m_asciiNeedle.size()) {
        return std::string_view::npos;
    }
    // The first letter is looked for in either case by the library's byte search, and the rest
    // compared only where it stands: Find and Replace go through every text of the database.
    const char lower = m_asciiNeedle.front();
    const char upper = asciiUpper(lower);
    const size_t lastStart = bytes.size() - m_asciiNeedle.size();
    const auto restMatches = [&](size_t at) {
        return std::equal(
            m_asciiNeedle.begin() + 1, m_asciiNeedle.end(),
            bytes.begin() + static_cast<std::ptrdiff_t>(at) + 1,
            [](char lowerNeedle, char text) { return asciiLower(text) == lowerNeedle; });
    };
    size_t nextLower = bytes.find(lower, from);
    size_t nextUpper = upper == lower ? std::string_view::npos : bytes.find(upper, from);
    for (;;) {
        const size_t at = std::min(nextLower, nextUpper);
        if (at == std::string_view::npos || at > lastStart) {
            return std::string_view::npos;
        }
        if (restMatches(at)) {
            return at;
        }
        if (at == nextLower) {
            nextLower = bytes.find(lower, at + 1);
        } else {
            nextUpper = bytes.find(upper, at + 1);
        }
    }
}

bool TextSearch::cannotHold(std::string_view bytes) const {
    // Not so for an ASCII needle in a code page whose characters may hold ASCII bytes, which
    // must be decoded whatever their bytes.
    return !m_needleIsAscii && platform::isAscii(bytes);
}

bool TextSearch::matches(std::string_view bytes) const {
    if (m_ascii) {
        return findBytes(bytes, 0) != std::string_view::npos;
    }
    return !cannotHold(bytes) && toQString(bytes).contains(m_needle, m_case);
}

std::optional<std::string> TextSearch::replaceIn(std::string_view bytes,
                                                 const QString& replacement,
                                                 std::string_view replacementBytes) const {
    if (m_ascii) {
        size_t at = findBytes(bytes, 0);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        std::string replaced;
        size_t kept = 0;
        for (; at != std::string_view::npos; at = findBytes(bytes, kept)) {
            replaced.append(bytes.substr(kept, at - kept)).append(replacementBytes);
            kept = at + m_asciiNeedle.size();
        }
        return replaced.append(bytes.substr(kept));
    }
    if (m_needle.isEmpty() || cannotHold(bytes)) {
        return std::nullopt;
    }
    QString text = toQString(bytes);
    if (!text.contains(m_needle, m_case)) {
        return std::nullopt;
    }
    return toBytes(text.replace(m_needle, replacement, m_case));
}

}  // namespace quorvia::ui
