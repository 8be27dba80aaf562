#include "gui/text_bytes.h"

#include "core/cell_text.h"

namespace {

QString Decoded(std::string_view bytes, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(Windows1252Character(static_cast<unsigned char>(byte)));
    return text;
}

} // namespace

QString TextFromBytes(std::string_view bytes)
{
    return Decoded(bytes, IsValidUtf8(bytes));
}

QString CellDisplayText(std::string_view bytes)
{
    const bool utf8 = IsValidUtf8(bytes);
    bool cut = false;
    QString text = Decoded(DisplayedCellBytes(bytes, utf8, cut), utf8);
    if (cut)
        text += QChar(0x2026);
    return text;
}
