#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace platform {

QString formFontFamily()
{
    return QStringLiteral("ＭＳ ゴシック");
}

void registerFontSubstitutions()
{
    // Fixed-pitch gothic faces first, as the family asked for is one.
    static const char* const candidates[] = {
        "IPAGothic",          "IPAexGothic",    "Noto Sans Mono CJK JP", "Noto Sans CJK JP",
        "Source Han Sans JP", "VL Gothic",      "TakaoGothic",           "IPAPGothic",
        "Droid Sans Japanese", "Sazanami Gothic",
    };
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const char* candidate : candidates) {
        const QString family = QString::fromLatin1(candidate);
        if (installed.contains(family, Qt::CaseInsensitive))
            present << family;
    }
    QFont::removeSubstitutions(formFontFamily());
    if (!present.isEmpty())
        QFont::insertSubstitutions(formFontFamily(), present);
}

QFont formFont(int pixelHeight)
{
    QFont font(formFontFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    return font;
}

} // namespace platform
