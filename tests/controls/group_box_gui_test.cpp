#include <gtest/gtest.h>

#include <QFontMetrics>

#include "controls/gui/xp_group_box.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;

QImage Render(QWidget* w) {
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    // Only what the box paints itself: it fills no background of its own.
    w->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

TEST(XPGroupBox, SettersChainAndStoreTheirValues) {
    QWidget window;
    auto* box = new CXPGroupBox(&window);
    CXPGroupBox& same = box->SetBanded(1)
                            .SetFrameColor(QColor(1, 2, 3))
                            .SetTitleColor(QColor(4, 5, 6))
                            .SetFillColors(QColor(7, 8, 9), QColor(10, 11, 12))
                            .SetTitleBold(true)
                            .SetTitleItalic(1)
                            .SetTitleUnderline(1)
                            .SetTitlePointSize(12)
                            .SetTitleAlignment(5);
    EXPECT_EQ(&same, box);
    EXPECT_TRUE(box->Banded());
    EXPECT_EQ(box->FrameColor(), QColor(1, 2, 3));
    EXPECT_EQ(box->TitleColor(), QColor(4, 5, 6));
    EXPECT_EQ(box->BandColor(), QColor(7, 8, 9));
    EXPECT_EQ(box->BodyColor(), QColor(10, 11, 12));
    EXPECT_EQ(box->Alignment(), 0);
    EXPECT_EQ(box->SetTitleAlignment(2).Alignment(), 2);
    const QFont f = box->TitleFont();
    EXPECT_EQ(f.weight(), QFont::Bold);
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_EQ(f.pointSize(), 12);
    box->SetFillColor(QColor(20, 20, 20)).SetTitleBold(false);
    EXPECT_EQ(box->BandColor(), box->BodyColor());
    EXPECT_EQ(box->TitleFont().weight(), QFont::Normal);
    box->SetTitleFontName(QString(40, QLatin1Char('x')), 134);
    EXPECT_EQ(box->TitleFont().families().value(0).size(), 31);
    EXPECT_EQ(box->Charset(), 134);
    QFont whole(QStringLiteral("Serif"), 20);
    EXPECT_EQ(box->SetTitleFont(whole).TitleFont().pointSize(), 20);
    EXPECT_TRUE(box->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(XPGroupBox, TitleComesFromTheTextAtTheFirstPaintAndLaterOnlyFromSetTitle) {
    QWidget window;
    auto* box = new CXPGroupBox(&window);
    box->setGeometry(5, 5, 200, 60);
    box->setProperty("text", QStringLiteral("安装结果"));
    EXPECT_TRUE(box->Title().isEmpty());
    Render(box);
    EXPECT_EQ(box->Title(), QStringLiteral(" 安装结果 "));
    box->setText(QStringLiteral("操作状态"));
    Render(box);
    EXPECT_EQ(box->Title(), QStringLiteral(" 安装结果 "));
    box->SetTitle(QStringLiteral("操作状态"));
    EXPECT_EQ(box->Title(), QStringLiteral(" 操作状态 "));
}

TEST(XPGroupBox, BandedSeparatorAndPlainFrameSitByTheTitleHeight) {
    QWidget window;
    auto* box = new CXPGroupBox(&window);
    box->setGeometry(5, 5, 200, 60);
    box->setText(QStringLiteral("安装结果"));
    box->SetFrameColor(QColor(255, 0, 0)).SetFillColors(QColor(0, 255, 0), QColor(0, 0, 255));
    const int cy = QFontMetrics(box->TitleFont()).height();

    box->SetBanded(1);
    QImage img = Render(box);
    EXPECT_EQ(img.pixel(150, 1 + cy + 4), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy + 3), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy + 5), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(1, 58), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0);

    box->SetBanded(0);
    img = Render(box);
    EXPECT_EQ(img.pixel(150, 1 + cy / 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy / 2 - 1), 0u);
    EXPECT_EQ(img.pixel(150, 30), 0u);
    EXPECT_EQ(img.pixel(1, 30), qRgb(255, 0, 0));
}

}  // namespace
