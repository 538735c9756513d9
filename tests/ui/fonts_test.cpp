// The typefaces the windows name, as a learner of English sees them: l, 1 and I must never be
// mistaken for one another.
#include "host/fonts.h"
#include "host/uistyle.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

constexpr int Pixels = 64;

/// One character drawn alone, in black on white, at the same pen position every time.
QImage Glyph(const QFont& font, QChar c) {
    QImage image(Pixels * 2, Pixels * 2, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(Pixels / 2.0, Pixels * 1.5), QString(c));
    return image;
}

/// The share of the inked pixels of either glyph that the other does not ink.
double Difference(const QImage& a, const QImage& b) {
    int either = 0;
    int one = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* ra = a.constScanLine(y);
        const uchar* rb = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            const bool inkA = ra[x] < 128;
            const bool inkB = rb[x] < 128;
            either += (inkA || inkB) ? 1 : 0;
            one += inkA != inkB ? 1 : 0;
        }
    }
    return either == 0 ? 0.0 : static_cast<double>(one) / either;
}

TEST(Fonts, EnglishLettersAreToldApartInEveryRole) {
    const QString sample = QStringLiteral("l1I|O0");
    for (const QString& role : FontRoles()) {
        SCOPED_TRACE(role.toStdString());
        const QFont font = NamedFont(role, Pixels);
        const QString family = QFontInfo(font).family();
        SCOPED_TRACE(family.toStdString());
        const QFontMetrics metrics(font);
        // A typewriter face gives every letter one width; a text face draws l and I narrower
        // than O, as readers expect.
        EXPECT_LT(metrics.horizontalAdvance(sample[0]), metrics.horizontalAdvance(sample[4]));
        EXPECT_LT(metrics.horizontalAdvance(sample[2]), metrics.horizontalAdvance(sample[4]));
        const QImage l = Glyph(font, sample[0]);
        const QImage one = Glyph(font, sample[1]);
        const QImage capitalI = Glyph(font, sample[2]);
        EXPECT_GT(Difference(l, one), 0.4);
        EXPECT_GT(Difference(l, capitalI), 0.4);
        EXPECT_GT(Difference(one, capitalI), 0.4);
        // Chinese in the same role comes from a face the role names, not from whatever the
        // system falls back to.
        QTextLayout layout(QStringLiteral("学习 l"), font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        bool chinese = false;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QString face = run.rawFont().familyName();
            if (run.rawFont().supportsCharacter(QChar(0x5B66))) {
                chinese = true;
                EXPECT_TRUE(QFont::substitutes(role).contains(face, Qt::CaseInsensitive))
                    << face.toStdString();
            }
        }
        EXPECT_TRUE(chinese);
    }
}

} // namespace
