#include "ui/SystemClipboard.h"

#include "platform/Error.h"
#include "ui/Text.h"

namespace quorvia::ui {

std::unique_ptr<QMimeData> recordsAsMimeData(std::string_view lines) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kRecordsMimeType),
                  QByteArray(lines.data(), static_cast<qsizetype>(lines.size())));
    // Line by line: a record that is not valid UTF-8 must not change how the others read.
    QString text;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        if (end == std::string_view::npos) {
            end = lines.size();
        }
        text += toQString(lines.substr(start, end - start));
        text += QLatin1Char('\n');
        start = end + 1;
    }
    data->setText(text);
    return data;
}

ClipboardText recordsFromMimeData(const QMimeData* data) {
    if (data == nullptr) {
        return {};
    }
    const QString ownType = QString::fromLatin1(kRecordsMimeType);
    if (data->hasFormat(ownType)) {
        const QByteArray bytes = data->data(ownType);
        return {std::string(bytes.constData(), static_cast<size_t>(bytes.size())),
                editing::TextSource::OwnRecords};
    }
    if (!data->hasText()) {
        return {};
    }
    const QString text = data->text();
    if (const auto refusal = unwritableTextMessage(text)) {
        throw Error(*refusal);
    }
    return {toBytes(text)};
}

}  // namespace quorvia::ui
