#include "ui/Text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <optional>

namespace quorvia::ui {

namespace {

constexpr const char* kUtf8Fallback = "windows-1252";
constexpr auto kStateless = QStringConverter::Flag::Stateless;

// The chosen code page's converters; none for UTF-8, which Qt converts itself.
struct CodePage {
    QString name = QString::fromLatin1(kDefaultCodePage);
    std::optional<QStringDecoder> decoder;
    std::optional<QStringEncoder> encoder;
};

CodePage& codePageInUse() {
    static CodePage current;
    return current;
}

QString decodeUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, kStateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    static QStringDecoder fallback(kUtf8Fallback, kStateless);
    fallback.resetState();
    return fallback(bytes);
}

bool isAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) > 127) {
            return false;
        }
    }
    return true;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool setCodePage(const QString& name) {
    const QByteArray encoded = name.toLatin1();
    QStringDecoder decoder(encoded.constData(), kStateless);
    QStringEncoder encoder(encoded.constData(), kStateless);
    if (!decoder.isValid() || !encoder.isValid()) {
        return false;
    }
    CodePage& current = codePageInUse();
    current.name = name;
    if (QString::fromLatin1(decoder.name()).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) ==
        0) {
        current.decoder.reset();
        current.encoder.reset();
    } else {
        current.decoder.emplace(std::move(decoder));
        current.encoder.emplace(std::move(encoder));
    }
    return true;
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
    constexpr size_t kLongestShown = 4096;
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

QString fromProgramText(std::string_view bytes) {
    return decodeUtf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
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

TextSearch::TextSearch(const QString& needle, bool matchCase)
    : m_needle(needle), m_case(matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive) {
    m_ascii = !needle.isEmpty() &&
              std::all_of(needle.begin(), needle.end(), [](QChar c) { return c.unicode() < 128; });
    if (m_ascii) {
        m_asciiNeedle = needle.toLatin1().toStdString();
        if (!matchCase) {
            std::transform(m_asciiNeedle.begin(), m_asciiNeedle.end(), m_asciiNeedle.begin(),
                           asciiLower);
        }
    }
}

bool TextSearch::matches(std::string_view bytes) const {
    if (m_ascii) {
        if (m_case == Qt::CaseSensitive) {
            return bytes.find(m_asciiNeedle) != std::string_view::npos;
        }
        const auto sameLetter = [](char text, char lowerNeedle) {
            return asciiLower(text) == lowerNeedle;
        };
        return std::search(bytes.begin(), bytes.end(), m_asciiNeedle.begin(), m_asciiNeedle.end(),
                           sameLetter) != bytes.end();
    }
    // A needle beyond ASCII cannot lie in a text of ASCII bytes alone.
    return !isAscii(bytes) && toQString(bytes).contains(m_needle, m_case);
}

}  // namespace quorvia::ui
