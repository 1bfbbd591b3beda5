// A flat picture button for the toolbars: no frame of its own, a tooltip, and three
// pictures: "picture" normally, "pictureover" under the mouse, "picturedown" while pressed.
// A disabled button shows its picture greyed.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class FlatButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap picture READ picture WRITE setPicture)
    Q_PROPERTY(QPixmap pictureover READ pictureOver WRITE setPictureOver)
    Q_PROPERTY(QPixmap picturedown READ pictureDown WRITE setPictureDown)

  public:
    explicit FlatButton(QWidget* parent = nullptr);

    QPixmap picture() const { return picture_; }
    QPixmap pictureOver() const { return over_; }
    QPixmap pictureDown() const { return down_; }
    void setPicture(const QPixmap& p);
    void setPictureOver(const QPixmap& p);
    void setPictureDown(const QPixmap& p);

    // The picture the button shows in its present state.
    QPixmap currentPicture() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPixmap picture_, over_, down_;
};
