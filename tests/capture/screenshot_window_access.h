#pragma once
// The screenshot window's controls as a user works them: through their Qt
// widgets (object names "ctl_<id>"), found by id in the window's Qt backend.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "capture/gui/screenshot_dialog.h"
#include "imaging/canvas.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo::test {

// Clicks and returns at once, a capture it starts still running.
inline void Click(const ScreenshotDialog& w, int id) {
    qobject_cast<QAbstractButton*>(ui::qt::WidgetOf(w, id))->click();
}

// Clicks and, when that started a capture on a worker, lets the window's
// events run until the capture has shown its result (its own limits end it).
inline void Press(const ScreenshotDialog& w, int id) {
    Click(w, id);
    QElapsedTimer waited;
    waited.start();
    while (w.Capturing() && waited.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

inline QComboBox* List(const ScreenshotDialog& w, int id) {
    return qobject_cast<QComboBox*>(ui::qt::WidgetOf(w, id));
}

inline std::vector<std::string> Entries(const ScreenshotDialog& w, int id) {
    std::vector<std::string> out;
    QComboBox* c = List(w, id);
    for (int i = 0; i < c->count(); ++i) out.push_back(c->itemText(i).toStdString());
    return out;
}

inline QWidget& PictureWidget(const ScreenshotDialog& w) {
    return *ui::qt::WidgetOf(w, ids::kShotPicture);
}

// The picture area as it is painted on the screen.
inline QImage PaintedPicture(const ScreenshotDialog& w) {
    return PictureWidget(w).grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The screenshot windows that `main` owns, oldest first.
inline std::vector<ScreenshotDialog*> ScreenshotWindowsOf(const ui::Dialog& main) {
    std::vector<ScreenshotDialog*> out;
    const auto peers = ui::qt::WindowOf(main).findChildren<ui::qt::QtDialogPeer*>(
        QString(), Qt::FindDirectChildrenOnly);
    for (ui::qt::QtDialogPeer* peer : peers) {
        if (auto* shot = dynamic_cast<ScreenshotDialog*>(&peer->Owner())) out.push_back(shot);
    }
    return out;
}

inline bool SamePixels(const imaging::Canvas& a, const imaging::Canvas& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    const size_t count = static_cast<size_t>(a.Width()) * static_cast<size_t>(a.Height());
    return std::equal(a.Bits(), a.Bits() + count, b.Bits());
}

}  // namespace nimbo::test
