// The skin component Skn: takes a skin (from a .skn file, or the skin stored with a
// window) and paints windows with it. A window the skin was applied to follows every
// skin the component takes later.
#pragma once

#include "skins/skin_file.h"

#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>
#include <vector>

class SkinComponent {
  public:
    // "load skin": the skin in the file becomes the current skin. A missing or broken file
    // changes nothing; the result says whether the skin was taken.
    bool loadSkin(const QString& path);
    // "apply skin": paints the window and its controls with the current skin, now and
    // after each later load. Without a current skin the window keeps its look.
    void applySkin(QWidget* window);
    // The skin stored with the dialogs and the control bar, "Standard Skin", becomes
    // the current skin.
    void useStoredSkin();

    bool hasSkin() const { return hasSkin_; }
    const QString& styleSheet() const { return sheet_; }

  private:
    void take(QString sheet, std::unique_ptr<QTemporaryDir> files);

    bool hasSkin_ = false;
    QString sheet_;
    std::unique_ptr<QTemporaryDir> files_; // the current skin's pictures
    std::vector<QPointer<QWidget>> windows_;
};

// The description of the stored skin.
inline const QString kStoredSkinName = QStringLiteral("Standard Skin");
QString standardSkinStyleSheet();
// What a dialog does when it opens: paints itself with its stored skin.
void applyStoredSkin(QWidget& window);

// A package's style sheet ready for Qt: its pictures decoded and written into `folder`, and
// each url(skin:<name>) pointing at the written file. An error when a picture does not
// decode or the sheet names a picture the package lacks.
swf::Result<QString> resolveSkin(const skins::SkinPackage& package, const QString& folder);
