#include "editor/ApplicationIcon.h"

#include <QColor>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QXmlStreamReader>

namespace orv {

namespace {

constexpr const char* kIconResource = ":/orvane-text-editor.svg";
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The viewBox "minX minY width height", or the width and height attributes.
QRectF ViewBox(const QXmlStreamAttributes& attributes)
{
    const QStringList parts =
        attributes.value(QStringLiteral("viewBox")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() == 4)
        return QRectF(parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble());
    return QRectF(0, 0, attributes.value(QStringLiteral("width")).toDouble(),
                  attributes.value(QStringLiteral("height")).toDouble());
}

double Number(const QXmlStreamAttributes& attributes, const char* name, double fallback = 0)
{
    const QStringView value = attributes.value(QLatin1String(name));
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? number : fallback;
}

} // namespace

QImage DrawRectangleSvg(const QByteArray& svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QXmlStreamReader reader(svg);
    bool sawRoot = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("svg")) {
            const QRectF box = ViewBox(attributes);
            if (box.width() <= 0 || box.height() <= 0)
                return QImage();
            painter.scale(size / box.width(), size / box.height());
            painter.translate(-box.topLeft());
            sawRoot = true;
            continue;
        }
        if (reader.name() != QLatin1String("rect") || !sawRoot)
            continue;
        QColor colour(attributes.value(QStringLiteral("fill")).toString());
        if (!colour.isValid())
            continue;
        colour.setAlphaF(static_cast<float>(Number(attributes, "fill-opacity", 1.0)));
        const QRectF rect(Number(attributes, "x"), Number(attributes, "y"), Number(attributes, "width"),
                          Number(attributes, "height"));
        const double radius = Number(attributes, "rx");
        painter.setBrush(colour);
        painter.drawRoundedRect(rect, radius, radius);
    }
    if (reader.hasError() || !sawRoot)
        return QImage();
    return image;
}

QIcon ApplicationIcon()
{
    QFile file(QString::fromLatin1(kIconResource));
    if (!file.open(QIODevice::ReadOnly))
        return QIcon();
    const QByteArray svg = file.readAll();
    QIcon icon;
    for (int size : kIconSizes) {
        const QImage image = DrawRectangleSvg(svg, size);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace orv
