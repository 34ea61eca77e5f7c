#include "window_pictures_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <span>

#include "adblink/device_list.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo::pictures {
namespace {

class CannedOutput final : public platform::ChildOutput {
public:
    explicit CannedOutput(std::string text) : text_(std::move(text)) {}
    long Read(std::span<char> buffer) override {
        if (cancelled_) return -1;
        const size_t n = std::min(buffer.size(), text_.size() - read_);
        std::memcpy(buffer.data(), text_.data() + read_, n);
        read_ += n;
        return static_cast<long>(n);
    }
    void Cancel() override { cancelled_ = true; }

private:
    std::string text_;
    size_t read_ = 0;
    bool cancelled_ = false;
};

}  // namespace

Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> CannedAdb::Start(
    const std::vector<std::string>& argv) {
    std::string output;
    for (const auto& [word, text] : answers_) {
        if (std::find(argv.begin(), argv.end(), word) != argv.end()) {
            output = text;
            break;
        }
    }
    return std::unique_ptr<platform::ChildOutput>(std::make_unique<CannedOutput>(output));
}

uint16_t NoServerPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    if (fd >= 0) ::close(fd);
    return port;
}

void ShowDevices(ui::Dialog& main, const std::string& lines) {
    char length[8];
    std::snprintf(length, sizeof length, "%04zx", lines.size());
    ui::ListView* list = main.Item<ui::ListView>(ids::kDeviceList);
    if (!list) return;
    list->DeleteAllItems();
    for (const DeviceRow& device : ParseDeviceListReply(length + lines)) {
        const int row = list->InsertItem(list->GetItemCount(), device.numberText, device.kindImage);
        list->SetItemText(row, 1, device.kindText);
        list->SetItemText(row, 2, device.serial);
    }
    if (list->GetItemCount() > 0) main.SetItemTextNow(ids::kCurrentDevice, list->GetItemText(0, 2));
}

void Press(ui::Dialog& window, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(ui::qt::WidgetOf(window, id))) {
        button->click();
    }
}

void WaitForWorkers(WorkerRuntime& workers) {
    QElapsedTimer waited;
    waited.start();
    while (!workers.WaitIdle(std::chrono::milliseconds(10)) && waited.elapsed() < 10000) {
        QApplication::processEvents();
    }
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void SendMouseMove(QWidget* widget, QPoint local) {
    QMouseEvent e(QEvent::MouseMove, QPointF(local), QPointF(widget->mapToGlobal(local)),
                  Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &e);
}

void SendLeave(QWidget* widget) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(widget, &e);
}

}  // namespace nimbo::pictures
