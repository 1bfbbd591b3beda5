// The drive list Drive1: a drop-down list of drives. It asks for a fresh list of drives
// each time it drops down, since removable media come and go.
#pragma once

#include <QComboBox>

class DriveCombo : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override {
        emit aboutToDropDown();
        QComboBox::showPopup();
    }

  signals:
    void aboutToDropDown();
};
