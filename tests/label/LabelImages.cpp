#include "LabelImages.h"

#include "TestSupport.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace labeltest {

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

QRect inkRect(const QImage &image, QRgb background, int threshold, const QRect &within)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRect area = within.isNull() ? rgb.rect() : within.intersected(rgb.rect());
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (channelDistance(rgb.pixel(x, y), background) > threshold)
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

int differingPixels(const QImage &a, const QImage &b, int threshold)
{
    if (a.size() != b.size())
        return std::max(a.width() * a.height(), b.width() * b.height());
    const QImage ra = a.convertToFormat(QImage::Format_RGB32);
    const QImage rb = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < ra.height(); ++y) {
        for (int x = 0; x < ra.width(); ++x) {
            if (channelDistance(ra.pixel(x, y), rb.pixel(x, y)) > threshold)
                ++count;
        }
    }
    return count;
}

QString compareWithGolden(const QImage &actual, const QString &name, double tolerance)
{
    const QString goldenPath = testsupport::dataPath(QStringLiteral("label/") + name);
    const QImage golden(goldenPath);
    QString problem;
    if (golden.isNull()) {
        problem = QStringLiteral("golden image missing: ") + goldenPath;
    } else {
        QImage plain = actual;
        plain.setDevicePixelRatio(1.0);
        const int differing = differingPixels(plain, golden, 64);
        const int allowed = static_cast<int>(tolerance * golden.width() * golden.height());
        if (differing > allowed)
            problem = QStringLiteral("%1 pixels differ from %2 (allowed %3)").arg(differing).arg(name).arg(allowed);
    }
    if (!problem.isEmpty()) {
        const QString actualPath = testsupport::artifactPath(QStringLiteral("actual-") + name);
        actual.save(actualPath);
        problem += QStringLiteral("; actual image: ") + actualPath;
    }
    return problem;
}

} // namespace labeltest
