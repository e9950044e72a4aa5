// A pair of up and down arrows stacked on top of each other, beside a list,
// drawn with the skin's arrow pictures. Each press reports which arrow it
// was; holding an arrow down repeats it.
#pragma once

#include <QWidget>

class QToolButton;

class TUpDownArrows : public QWidget {
    Q_OBJECT
public:
    // What Click reports for each arrow.
    static constexpr int UpperArrow = 1;
    static constexpr int LowerArrow = 0;

    explicit TUpDownArrows(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void Click(int button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};
