#include "app/tools/file_operation_dialog_windows.h"

#include "app/tools/folder_list.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tools {

moveTo::moveTo(ToolHost& host, platform::FileSystem& fileSystem, platform::Drives& drives)
    : logic_(host, fileSystem, *this), driveList_(drives.list()) {
    setObjectName(QStringLiteral("moveTo"));
    skinLabel().setText(QStringLiteral("Move to"));

    drive1_ = new QComboBox(this);
    drive1_->setObjectName(QStringLiteral("Drive1"));
    for (const platform::Drive& drive : driveList_)
        drive1_->addItem(drive.displayName());
    dir1_ = new FolderList(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    dir1_->setMinimumHeight(200);
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    body().addWidget(drive1_);
    body().addWidget(dir1_);
    body().addWidget(text1_);

    // The list starts where the movie lies; no handler runs for that.
    const QString movieFolder = QFileInfo(host.currentFile()).absolutePath();
    if (!dir1_->setPath(movieFolder)) dir1_->setPath(QDir::homePath());
    text1_->setText(dir1_->path());
    drive1_->setCurrentIndex(platform::driveIndexFor(driveList_, dir1_->path()));

    setWindowTitle(logic_.Form_Load());
    connect(dir1_, &FolderList::pathChanged, this, [this] { logic_.Dir1_Change(); });
    connect(drive1_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(driveList_.size()))
            logic_.Drive1_Change(driveList_[static_cast<std::size_t>(index)].mountPoint);
    });
}

QString moveTo::dirPath() const {
    return dir1_->path();
}

bool moveTo::setDirPath(const QString& path) {
    return dir1_->setPath(path);
}

void moveTo::setPathText(const QString& text) {
    text1_->setText(text);
}

ifDelete::ifDelete(ToolHost& host, platform::FileSystem& fileSystem) : logic_(host, fileSystem) {
    setObjectName(QStringLiteral("ifDelete"));
    setWindowTitle(QStringLiteral("Delete"));
    const QString question = logic_.Form_Load();
    // Label1 holds the text the skinned label shows; only the skinned one is on view.
    auto* label1 = new QLabel(question, this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->hide();
    skinLabel().setText(label1->text());
}

} // namespace tools
