#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStringList>

namespace nimbo::ui::qt {
namespace {

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QString text = QString::fromStdString(f.text);
        // Qt reads the pattern from the parentheses; add them when the text has none.
        if (!text.contains(QLatin1Char('(')))
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(f.pattern));
        parts << text;
    }
    return parts.join(QStringLiteral(";;"));
}

QWidget* Owner() {
    return QApplication::activeWindow();
}

}  // namespace

std::optional<std::string> QtDialogs::OpenFile(const std::string& title,
                                               const std::vector<FileFilter>& filters,
                                               bool mustExist) {
    QFileDialog dlg(Owner(), QString::fromStdString(title), QString(), FilterText(filters));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}

std::vector<std::string> QtDialogs::OpenFiles(const std::string& title,
                                              const std::vector<FileFilter>& filters) {
    QFileDialog dlg(Owner(), QString::fromStdString(title), QString(), FilterText(filters));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    std::vector<std::string> chosen;
    if (dlg.exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dlg.selectedFiles()) chosen.push_back(file.toStdString());
    return chosen;
}

std::optional<std::string> QtDialogs::AskText(const std::string& title, const std::string& prompt) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(Owner(), QString::fromStdString(title),
                              QString::fromStdString(prompt), QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::optional<int> QtDialogs::PopupMenu(const std::vector<std::string>& items) {
    QMenu menu(Owner());
    for (size_t i = 0; i < items.size(); ++i) {
        menu.addAction(QString::fromStdString(items[i]))->setData(static_cast<int>(i));
    }
    const QAction* chosen = menu.exec(QCursor::pos());
    if (!chosen) return std::nullopt;
    return chosen->data().toInt();
}

std::optional<std::string> QtDialogs::SaveFile(const std::string& title,
                                               const std::vector<FileFilter>& filters,
                                               int filterIndex, const std::string& defaultExtension,
                                               const std::string& initialName) {
    QFileDialog dlg(Owner(), QString::fromStdString(title), QString(), FilterText(filters));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QString::fromStdString(defaultExtension));
    const QStringList names = FilterText(filters).split(QStringLiteral(";;"));
    if (filterIndex >= 1 && filterIndex <= names.size())
        dlg.selectNameFilter(names[filterIndex - 1]);
    if (!initialName.empty()) dlg.selectFile(QString::fromStdString(initialName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& prompt) {
    QString dir = QFileDialog::getExistingDirectory(Owner(), QString::fromStdString(prompt));
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
}

MessageBoxResult QtDialogs::MessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, Owner());
    box.exec();
    return MessageBoxResult::Ok;
}

}  // namespace nimbo::ui::qt

namespace nimbo::ui {

std::unique_ptr<Dialogs> MakeSystemDialogs() {
    return std::make_unique<qt::QtDialogs>();
}

std::string ApplicationName() {
    // The title the program gives itself, else its executable's base name.
    return QCoreApplication::applicationName().toStdString();
}

}  // namespace nimbo::ui
