// The yardstick for start-up: a bare Qt dialog with the main window's font
// and a line of Chinese text in it, so the same font files are found and
// loaded, shown at about the main window's size.
#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    dialog.setFont(font);
    dialog.setWindowTitle(QStringLiteral("Nimbo"));
    QLabel label(QStringLiteral("就绪 【列表完成】 ABCDEFGHIJKLMNOPQRSTUVWXYZ"), &dialog);
    label.move(10, 10);
    dialog.resize(660, 470);
    dialog.show();
    return app.exec();
}
