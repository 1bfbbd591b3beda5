#include "skin_component.h"

#include <QImage>
#include <QRegularExpression>

swf::Result<QString> resolveSkin(const skins::SkinPackage& package, const QString& folder) {
    QString sheet = package.styleSheet();
    for (const auto& [name, contents] : package.files) {
        if (name == skins::kStyleSheetEntry) continue;
        // Decoding and saving again keeps only what is really a picture.
        QImage picture;
        if (!picture.loadFromData(contents)) return swf::Error{"skin picture does not decode"};
        if (!picture.save(folder + '/' + name + ".png", "PNG"))
            return swf::Error{"cannot write a skin picture"};
    }
    static const QRegularExpression reference(QStringLiteral("skin:([A-Za-z0-9._-]+)"));
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        if (name == skins::kStyleSheetEntry || !package.files.count(name))
            return swf::Error{"skin style sheet names a missing picture"};
        out += sheet.mid(at, m.capturedStart() - at) + folder + '/' + name + ".png";
        at = m.capturedEnd();
    }
    return out + sheet.mid(at);
}

bool SkinComponent::loadSkin(const QString& path) {
    auto package = skins::readSkinFile(path);
    if (!std::holds_alternative<skins::SkinPackage>(package)) return false;
    auto files = std::make_unique<QTemporaryDir>();
    if (!files->isValid()) return false;
    auto sheet = resolveSkin(std::get<skins::SkinPackage>(package), files->path());
    if (!std::holds_alternative<QString>(sheet)) return false;
    take(std::get<QString>(sheet), std::move(files));
    return true;
}

void SkinComponent::useStoredSkin() {
    take(standardSkinStyleSheet(), nullptr);
}

void SkinComponent::take(QString sheet, std::unique_ptr<QTemporaryDir> files) {
    sheet_ = std::move(sheet);
    hasSkin_ = true;
    for (const QPointer<QWidget>& w : windows_)
        if (w) w->setStyleSheet(sheet_);
    // The windows now use the new pictures; the old ones may go.
    files_ = std::move(files);
}

void SkinComponent::applySkin(QWidget* window) {
    if (!window) return;
    std::erase_if(windows_, [](const QPointer<QWidget>& w) { return w.isNull(); });
    if (std::none_of(windows_.begin(), windows_.end(),
                     [&](const QPointer<QWidget>& w) { return w == window; }))
        windows_.emplace_back(window);
    if (hasSkin_) window->setStyleSheet(sheet_);
}

void applyStoredSkin(QWidget& window) { window.setStyleSheet(standardSkinStyleSheet()); }

QString standardSkinStyleSheet() {
    return QStringLiteral(R"(
QDialog, QMainWindow { background: #eceff3; }
QPushButton {
    border: 1px solid #7d8ca3; border-radius: 3px; padding: 2px 12px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dfe4ea);
}
QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #cfe0f4); }
QPushButton:pressed { background: #c3d3e6; }
QLineEdit, QComboBox, QTreeWidget, QListWidget { background: white; border: 1px solid #9aa6b8; }
QToolTip { background: #fffbd6; color: black; border: 1px solid #8e8a6a; }
)");
}
