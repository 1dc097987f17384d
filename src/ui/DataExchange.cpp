#include "ui/DataExchange.h"

#include <QBuffer>

#include "ui/Pictures.h"
#include "ui/Text.h"

namespace quorvia::ui {

std::string CodePageCodec::toUtf8(std::string_view bytes) const {
    return toQString(bytes).toStdString();
}

std::optional<std::string> CodePageCodec::fromUtf8(std::string_view text,
                                                   std::string& refusal) const {
    const QString typed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (auto why = unwritableTextMessage(typed)) {
        refusal = std::move(*why);
        return std::nullopt;
    }
    return toBytes(typed);
}

exporting::PagePictures pagePictures() {
    exporting::PagePictures pictures;
    pictures.numberOf = statePictureNumber;
    for (int number = 0; number < kStatePictureCount; ++number) {
        std::string png;
        if (showsStatePicture(number)) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            Pictures::instance().statePicture(number).save(&buffer, "PNG");
            png.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        }
        pictures.png.push_back(std::move(png));
    }
    return pictures;
}

}  // namespace quorvia::ui
