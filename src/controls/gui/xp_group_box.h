#pragma once
// CXPGroupBox: a group box that paints itself completely, with a rounded frame
// and a title in its own font, in a plain or a banded look. It only frames
// the window's other controls, which are its siblings, not its children.
//
// Every setter repaints the box and the parent area beneath it and returns the
// box, so calls chain: box->SetBanded(1).SetTitleBold(true).
#include <QColor>
#include <QFont>
#include <QWidget>
#include <optional>

class CXPGroupBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit CXPGroupBox(QWidget* parent = nullptr);

    // The window text; it becomes the title at the first paint that finds the
    // title empty. Later changes show only through SetTitle.
    void setText(const QString& text) { text_ = text; }
    QString text() const { return text_; }

    virtual CXPGroupBox& SetFrameColor(const QColor& color);
    virtual CXPGroupBox& SetTitleColor(const QColor& color);
    virtual CXPGroupBox& SetFillColors(const QColor& band, const QColor& body);
    virtual CXPGroupBox& SetFillColor(const QColor& color);
    virtual CXPGroupBox& SetBanded(int banded);
    virtual CXPGroupBox& SetTitle(const QString& text);
    virtual CXPGroupBox& SetTitleBold(bool bold);
    virtual CXPGroupBox& SetTitleFontName(const QString& name, int charset);
    virtual CXPGroupBox& SetTitleUnderline(unsigned char underline);
    virtual CXPGroupBox& SetTitleItalic(unsigned char italic);
    virtual CXPGroupBox& SetTitlePointSize(int points);
    virtual CXPGroupBox& SetTitleFont(const QFont& font);
    virtual CXPGroupBox& SetTitleAlignment(int alignment);

    // The title as painted: the text with one blank on each side, or empty.
    QString Title() const { return title_; }
    QFont TitleFont() const;
    bool Banded() const { return banded_ != 0; }
    int Alignment() const { return alignment_; }
    int Charset() const { return charset_; }
    QColor FrameColor() const { return frameColor_; }
    QColor BandColor() const { return bandColor_; }
    QColor BodyColor() const { return bodyColor_; }
    QColor TitleColor() const { return titleColor_; }

    void RedrawWithParent();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QFont& EditableTitleFont();

    QString text_;
    QString title_;
    QColor frameColor_;
    QColor bandColor_;
    QColor bodyColor_;
    QColor titleColor_;
    int banded_ = 0;
    int alignment_ = 0;
    int charset_ = 1;
    // Follows the box's own (dialog) font until a font setter changes it.
    std::optional<QFont> titleFont_;
};
