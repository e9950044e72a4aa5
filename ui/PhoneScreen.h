// A phone's screen drawn on the phone page: a dark bezel round a screen of
// the output's proportions, showing the preview still scaled to fit (never
// larger than its own pixels allow to be seen sharply), or an empty screen.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

class TPhoneScreen : public QWidget {
    Q_OBJECT
public:
    explicit TPhoneScreen(QWidget* parent = nullptr);

    // The output's picture size, which gives the screen its proportions.
    void SetScreenSize(QSize size);
    // The still to show; a null image leaves the screen empty, with note
    // (a word on why) in small letters when there is one.
    void SetPicture(const QImage& picture, const QString& note = {});
    const QImage& Picture() const { return Shown; }
    QString Note() const { return ShownNote; }
    // Where the screen lies in the widget.
    QRect ScreenRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize ScreenSize{176, 144};
    QImage Shown;
    QString ShownNote;
};
