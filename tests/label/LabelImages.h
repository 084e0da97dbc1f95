#pragma once

// Pixel helpers shared by the label tests.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace labeltest {

/// Largest channel difference between two colours.
int channelDistance(QRgb a, QRgb b);

/// Bounding box (device pixels) of the pixels that differ from background by more than threshold.
QRect inkRect(const QImage &image, QRgb background, int threshold = 64, const QRect &within = {});

/// Number of pixels that differ by more than threshold; images of another size count as all different.
int differingPixels(const QImage &a, const QImage &b, int threshold);

/// Compares with tests/data/label/<name>; on a difference (or a missing golden) writes the actual image to the
/// artifacts folder and returns a description, else an empty string.
QString compareWithGolden(const QImage &actual, const QString &name, double tolerance = 0.01);

} // namespace labeltest
